#include "Browser.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Starts argv in a group of its own; its standard output into `output` (or /dev/null).
pid_t start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env, int output)
{
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        variables[text.substr(0, text.find('='))] = text.substr(text.find('=') + 1);
    }
    for (const auto& [name, value] : env) {
        variables[name] = value;
    }
    std::vector<std::string> envText;
    for (const auto& [name, value] : variables) {
        envText.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : envText) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
    return pid;
}

void killGroup(pid_t pid)
{
    ::kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

std::optional<std::string> runToEnd(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& env, std::chrono::seconds limit)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    const pid_t pid = start(argv, env, ends[1]);
    close(ends[1]);
    const auto deadline = Clock::now() + limit;
    std::string output;
    std::optional<int> status;
    while (!status && Clock::now() < deadline) {
        pollfd ready{ends[0], POLLIN, 0};
        if (poll(&ready, 1, 50) > 0) {
            char chunk[4096];
            const ssize_t got = read(ends[0], chunk, sizeof chunk);
            if (got > 0) {
                output.append(chunk, static_cast<std::size_t>(got));
            }
        }
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid) {
            status = raw;
        }
    }
    // What it wrote just before it ended; helpers it left behind may hold the pipe open.
    for (pollfd ready{ends[0], POLLIN, 0}; status && poll(&ready, 1, 0) > 0;) {
        char chunk[4096];
        const ssize_t got = read(ends[0], chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        output.append(chunk, static_cast<std::size_t>(got));
    }
    close(ends[0]);
    ::kill(-pid, SIGKILL); // what the program started and left behind
    if (!status) {
        killGroup(pid);
        return std::nullopt;
    }
    return output;
}

RunningProgram::RunningProgram(const std::vector<std::string>& argv,
                               const std::map<std::string, std::string>& env)
    : m_pid(start(argv, env, -1))
{
}

RunningProgram::~RunningProgram()
{
    stop();
}

void RunningProgram::stop()
{
    if (m_pid > 0) {
        killGroup(m_pid);
        m_pid = -1;
    }
}
