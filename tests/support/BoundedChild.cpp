#include "tests/support/BoundedChild.h"

#include <csignal>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Resident memory of `pid` in bytes; 0 once it cannot be read.
std::size_t residentBytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stoul(line.substr(6)) * 1024;
        }
    }
    return 0;
}

} // namespace

std::optional<int> runBounded(const std::function<int()>& body, std::size_t maxGrowth,
                              std::chrono::milliseconds limit)
{
    const std::size_t start = residentBytes(getpid());
    const pid_t child = fork();
    if (child == 0) {
        _exit(body() & 0xFF);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
        }
        if (std::chrono::steady_clock::now() > deadline || residentBytes(child) > start + maxGrowth) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
