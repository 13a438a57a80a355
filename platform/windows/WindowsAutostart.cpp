#include "platform/windows/WindowsAutostart.h"

#include "platform/windows/RegistryKey.h"

#include <utility>

namespace platform {

WindowsAutostart::WindowsAutostart(std::string runKey) : m_runKey(std::move(runKey)) {}

bool WindowsAutostart::isEnabled(const std::string& name) const
{
    // Any non-empty command counts, even one that starts another program.
    const RegistryKey run = RegistryKey::open(HKEY_CURRENT_USER, m_runKey, KEY_QUERY_VALUE);
    return !run.text(name).value_or("").empty();
}

void WindowsAutostart::setEnabled(bool enable, const std::string& name, const std::string& command)
{
    // The Run key is part of every profile; should it be missing, it is made either way.
    const RegistryKey run = RegistryKey::create(HKEY_CURRENT_USER, m_runKey, KEY_SET_VALUE);
    if (!run.isOpen()) {
        return;
    }
    if (enable) {
        // The size counts the terminating zero, which string values are stored with.
        RegSetValueExA(run.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    } else {
        // ERROR_FILE_NOT_FOUND, a missing value, is no error.
        RegDeleteValueA(run.get(), name.c_str());
    }
}

} // namespace platform
