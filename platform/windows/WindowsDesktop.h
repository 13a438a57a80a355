#pragma once

#include "platform/Host.h"

namespace platform {

// The shell: the class registration of "http" addresses and ShellExecuteA.
class WindowsDesktop : public Desktop
{
public:
    // `httpCommandKey`: the key under HKEY_CLASSES_ROOT whose default value is the default
    // browser's command (tests point it at a key of their own).
    explicit WindowsDesktop(std::string httpCommandKey = "http\\shell\\open\\command");

    std::string defaultBrowserCommand() const override;
    void shellOpen(const std::string& target) override;
    void shellOpenWith(const std::string& program, const std::string& argument) override;
    bool startProgram(const std::string& path) override;

private:
    std::string m_httpCommandKey;
};

} // namespace platform
