#include "platform/linux/LinuxChildProcesses.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

class LinuxChildProcess : public ChildProcess
{
public:
    LinuxChildProcess(pid_t pid, int output) : m_pid(pid), m_output(output) {}

    ~LinuxChildProcess() override
    {
        close(m_output);
        // Never a zombie: one still running is ended first.
        if (isRunning()) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    bool isRunning() override
    {
        if (m_reaped) {
            return false;
        }
        m_reaped = waitpid(m_pid, nullptr, WNOHANG) == m_pid;
        return !m_reaped;
    }

    std::optional<std::size_t> bytesWaiting() override
    {
        int waiting = 0;
        if (ioctl(m_output, FIONREAD, &waiting) != 0 || waiting < 0) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(waiting);
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        const ssize_t got = ::read(m_output, buffer, size);
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

    std::optional<int> outputDescriptor() const override { return m_output; }

    bool terminate() override { return m_reaped || ::kill(m_pid, SIGKILL) == 0; }

private:
    pid_t m_pid;
    int m_output;
    bool m_reaped = false;
};

} // namespace

std::unique_ptr<ChildProcess> LinuxChildProcesses::start(const std::string& program,
                                                         const std::vector<std::string>& arguments)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return nullptr;
    }
    // Polled or watched, never waited on: a read takes what is there.
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        close(ends[0]);
        return nullptr;
    }
    return std::make_unique<LinuxChildProcess>(pid, ends[0]);
}

} // namespace platform
