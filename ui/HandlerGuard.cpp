#include "ui/HandlerGuard.h"

#include "core/Global.h"

#include <QMessageBox>

namespace {
std::function<void(const QString&)>& errorSink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}
} // namespace

void showHandlerError(const QString& message)
{
    if (errorSink()) {
        errorSink()(message);
        return;
    }
    QMessageBox::critical(nullptr, QString::fromLatin1(global::kAppTitle), message);
}

void setHandlerErrorSink(std::function<void(const QString&)> sink)
{
    errorSink() = std::move(sink);
}
