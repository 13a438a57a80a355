#include "ui/QtGuiThread.h"

#include <QCoreApplication>
#include <QThread>

void QtGuiThread::runAndWait(const std::function<void()>& call)
{
    QCoreApplication* app = QCoreApplication::instance();
    // Queued to itself, the GUI thread would wait for itself for ever.
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(app, call, Qt::BlockingQueuedConnection);
}

void QtGuiThread::handlePending()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

GuiThread& qtGuiThread()
{
    static auto* const gui = new QtGuiThread;
    return *gui;
}
