#include "platform/windows/RegistryKey.h"

#include <utility>

namespace platform {

RegistryKey::~RegistryKey()
{
    if (m_key) {
        RegCloseKey(m_key);
    }
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        if (m_key) {
            RegCloseKey(m_key);
        }
        m_key = std::exchange(other.m_key, nullptr);
    }
    return *this;
}

RegistryKey RegistryKey::open(HKEY root, const std::string& path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return {};
    }
    return RegistryKey(key);
}

RegistryKey RegistryKey::create(HKEY root, const std::string& path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return {};
    }
    return RegistryKey(key);
}

std::optional<std::string> RegistryKey::text(const std::string& valueName) const
{
    if (!m_key) {
        return std::nullopt;
    }
    const char* name = valueName.empty() ? nullptr : valueName.c_str();
    // The value may grow between asking for its size and reading it; a few tries settle it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::nullopt;
        }
        std::string data(size, '\0');
        const LONG read =
            RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (read == ERROR_MORE_DATA) {
            continue;
        }
        if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::nullopt;
        }
        // Stored data need not end in a zero, or may end in several.
        data.resize(size);
        data.resize(data.find_last_not_of('\0') + 1);
        return data;
    }
    return std::nullopt;
}

} // namespace platform
