#pragma once

#include "service/HttpGet.h"

// The GUI thread of the Qt application: a worker's call is queued to it and the worker
// blocks until the call has run there.
class QtGuiThread : public GuiThread
{
public:
    void runAndWait(const std::function<void()>& call) override;
    void handlePending() override;
};

// The instance the windows hand to their downloads. Never destroyed: the worker of a
// download whose window has closed meanwhile still hands its end over to it.
GuiThread& qtGuiThread();
