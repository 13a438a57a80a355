#pragma once

#include "platform/Host.h"

namespace platform {

// The XDG autostart entries: <config home>/autostart/<name>.desktop.
class LinuxAutostart : public Autostart
{
public:
    bool isEnabled(const std::string& name) const override;
    // `command` is the program's path; it is written as the entry's one quoted argument.
    void setEnabled(bool enable, const std::string& name, const std::string& command) override;
};

// Where the entry `name` lives; empty when the user has no configuration folder.
std::string autostartEntryPath(const std::string& name);

} // namespace platform
