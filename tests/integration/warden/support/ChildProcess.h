#pragma once

// A child process whose stdout and stderr arrive through one pipe, the way the tray
// program reads Warden. Every wait is bounded; the destructor kills and reaps the child,
// so a failing test never leaves one behind.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace warden::testing {

class ChildProcess
{
public:
    // With `captureOutput` false the child's output is discarded, so a chatty child never
    // blocks on a pipe nobody reads.
    explicit ChildProcess(std::vector<std::string> argv, bool captureOutput = true);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }

    // The next whole line without its newline; nothing when none came within `timeout`
    // or the output has ended.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);

    // Reads lines until one starts with `prefix`; every line read (that one included) is
    // added to `seen` when given.
    bool waitForLine(const std::string& prefix, std::chrono::milliseconds timeout,
                     std::vector<std::string>* seen = nullptr);

    // The exit status (or 128 + signal) once the child ended within `timeout`.
    std::optional<int> waitExit(std::chrono::milliseconds timeout);

    void kill();

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_pending;
    bool m_reaped = false;
};

// The binary of the program under test, from the folder the build puts programs in.
std::string wardenPath();

} // namespace warden::testing
