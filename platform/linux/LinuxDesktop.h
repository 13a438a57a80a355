#pragma once

#include "platform/Host.h"

namespace platform {

// The desktop through GIO (the default handlers of the user's desktop settings) and
// POSIX (starting a program file).
class LinuxDesktop : public Desktop
{
public:
    std::string defaultBrowserCommand() const override;
    void shellOpen(const std::string& target) override;
    void shellOpenWith(const std::string& program, const std::string& argument) override;
    bool startProgram(const std::string& path) override;
};

// What shellOpen hands to the desktop: a target with a scheme ("http:", "mailto:") as it
// is, anything else taken as a local path (relative to the current folder) and made a
// file:// address. Empty when the path cannot be made one.
std::string uriForTarget(const std::string& target);

} // namespace platform
