#include "platform/windows/WindowsDesktop.h"

#include "platform/windows/CommandLineArgument.h"
#include "platform/windows/RegistryKey.h"

#include <windows.h>

#include <shellapi.h>
#include <utility>

namespace platform {

namespace {

// ShellExecuteA answers with a number above 32 when it started something.
bool shellExecute(const std::string& file, const char* parameters)
{
    const HINSTANCE result = ShellExecuteA(nullptr, "open", file.c_str(), parameters, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace

WindowsDesktop::WindowsDesktop(std::string httpCommandKey) : m_httpCommandKey(std::move(httpCommandKey)) {}

std::string WindowsDesktop::defaultBrowserCommand() const
{
    // Read only: asking must neither need the rights to write the class registration nor
    // leave an empty key behind when there is none.
    const RegistryKey key = RegistryKey::open(HKEY_CLASSES_ROOT, m_httpCommandKey, KEY_READ);
    return key.text("").value_or("");
}

void WindowsDesktop::shellOpen(const std::string& target)
{
    // Nobody is told of a failure: there is nobody to tell.
    shellExecute(target, nullptr);
}

void WindowsDesktop::shellOpenWith(const std::string& program, const std::string& argument)
{
    const std::string parameters = commandLineArgument(argument);
    shellExecute(program, parameters.c_str());
}

bool WindowsDesktop::startProgram(const std::string& path)
{
    // The shell, not CreateProcess: an installer that asks for elevation is started too.
    return shellExecute(path, nullptr);
}

} // namespace platform
