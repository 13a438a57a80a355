#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace warden::testing {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int statusOf(int raw)
{
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

} // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, bool captureOutput)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureOutput) {
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    std::vector<char*> args;
    for (auto& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    const int error = ::posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    m_output = ends[0];
    if (error != 0) {
        ::close(m_output);
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildProcess::~ChildProcess()
{
    kill();
    ::close(m_output);
}

void ChildProcess::kill()
{
    if (m_reaped)
        return;
    ::kill(m_pid, SIGKILL);
    int raw = 0;
    ::waitpid(m_pid, &raw, 0);
    m_reaped = true;
}

std::optional<std::string> ChildProcess::readLine(milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            return line;
        }
        pollfd ready{m_output, POLLIN, 0};
        if (::poll(&ready, 1, remainingMs(deadline)) <= 0)
            return std::nullopt;
        char chunk[4096];
        const ssize_t got = ::read(m_output, chunk, sizeof chunk);
        if (got <= 0)
            return std::nullopt;
        m_pending.append(chunk, static_cast<std::size_t>(got));
    }
}

bool ChildProcess::waitForLine(const std::string& prefix, milliseconds timeout,
                               std::vector<std::string>* seen)
{
    const auto deadline = Clock::now() + timeout;
    while (auto line = readLine(milliseconds(remainingMs(deadline)))) {
        if (seen)
            seen->push_back(*line);
        if (line->starts_with(prefix))
            return true;
    }
    return false;
}

std::optional<int> ChildProcess::waitExit(milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t done = ::waitpid(m_pid, &raw, WNOHANG);
        if (done == m_pid) {
            m_reaped = true;
            return statusOf(raw);
        }
        if (Clock::now() >= deadline)
            return std::nullopt;
        ::usleep(10'000);
    }
}

std::string wardenPath()
{
    const char* dir = std::getenv("NIMBRA_APP_DIR");
    return std::string(dir ? dir : ".") + "/warden";
}

} // namespace warden::testing
