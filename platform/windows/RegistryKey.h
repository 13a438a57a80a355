#pragma once

#include <optional>
#include <string>
#include <windows.h>

namespace platform {

// An open registry key, closed when the object goes.
class RegistryKey
{
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens an existing key; never creates one. Closed when it cannot be opened.
    static RegistryKey open(HKEY root, const std::string& path, REGSAM access);
    // Opens the key, creating it (and the keys above it) when missing.
    static RegistryKey create(HKEY root, const std::string& path, REGSAM access);

    bool isOpen() const { return m_key != nullptr; }
    HKEY get() const { return m_key; }

    // The text of a string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) as stored,
    // without its terminating zeros; nothing when the value is missing or of another type.
    // An empty name reads the key's default value.
    std::optional<std::string> text(const std::string& valueName) const;

private:
    explicit RegistryKey(HKEY key) : m_key(key) {}

    HKEY m_key = nullptr;
};

} // namespace platform
