#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

// Every event handler runs through this guard: an error raised in a handler ends that
// handler and is shown in the standard error box titled "Nimbra", and the program goes
// on. No exception ever crosses Qt's event loop.
void showHandlerError(const QString& message);

// Test seam: errors go to `sink` instead of a box; an empty function restores the box.
void setHandlerErrorSink(std::function<void(const QString&)> sink);

template <typename Handler> void guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        showHandlerError(QString::fromLocal8Bit(error.what()));
    }
}
