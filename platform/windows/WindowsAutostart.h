#pragma once

#include "platform/Host.h"

namespace platform {

// String values of the current user's Run key, each the command line of a program that
// starts when the user logs on.
class WindowsAutostart : public Autostart
{
public:
    // `runKey`: the key under HKEY_CURRENT_USER (tests point it at a key of their own).
    explicit WindowsAutostart(std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run");

    bool isEnabled(const std::string& name) const override;
    // `command` is stored as it is, the executable's path unquoted.
    void setEnabled(bool enable, const std::string& name, const std::string& command) override;

private:
    std::string m_runKey;
};

} // namespace platform
