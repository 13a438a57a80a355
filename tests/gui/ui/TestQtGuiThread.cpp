#include "ui/QtGuiThread.h"

#include "platform/Host.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <QThread>
#include <QtTest>

// A download's events reach the GUI thread, and a GetFile that waits keeps it working.
class TestQtGuiThread : public QObject
{
    Q_OBJECT
private slots:
    void eventsRunOnTheGuiThread()
    {
        TestHttpServer server;
        TempDir dir;
        QtGuiThread gui;
        THTTPGet get(platform::systemHost().http, gui);
        QList<bool> onGuiThread;
        const auto here = [&] { onGuiThread << (QThread::currentThread() == qApp->thread()); };
        get.OnProgress = [&](THTTPGet&, int, int) { here(); };
        get.OnDoneFile = [&](THTTPGet&, const std::string&, int) { here(); };
        get.URL = server.url("/bytes/3000");
        get.FileName = dir.file("file");
        get.WaitThread = true;
        get.GetFile();
        QCOMPARE(onGuiThread, QList<bool>({true, true, true, true}));
    }
};

QTEST_MAIN(TestQtGuiThread)
#include "TestQtGuiThread.moc"
