#pragma once

#include <utility>
#include <windows.h>

namespace platform {

// Owns one kernel handle and closes it with CloseHandle when it goes. Empty holds null;
// INVALID_HANDLE_VALUE, which some functions answer with on failure, is never stored.
class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() { reset(); }

    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    // Closes what it holds (if anything) and holds `handle` from now on.
    void reset(HANDLE handle = nullptr)
    {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
        }
        m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

    // Gives the handle up without closing it.
    HANDLE release() { return std::exchange(m_handle, nullptr); }

private:
    HANDLE m_handle = nullptr;
};

} // namespace platform
