#include "NimbraProcess.h"

#include "tests/support/TestHttpServer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds toMs(double seconds)
{
    return std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

} // namespace

NimbraProcess::NimbraProcess(std::string home, std::string program)
    : m_home(std::move(home)),
      m_program(program.empty() ? std::string(std::getenv("NIMBRA_APP_DIR")) + "/nimbra" : std::move(program))
{
}

NimbraProcess::~NimbraProcess()
{
    kill();
}

void NimbraProcess::start(const std::map<std::string, std::string>& overrides, const std::string& hostsFile)
{
    // The runtime folder holds the single-instance lock; it must be private to the user.
    const std::string runtime = m_home + "/run";
    mkdir(runtime.c_str(), 0700);
    std::map<std::string, std::string> variables = {
        {"HOME", m_home},
        {"XDG_RUNTIME_DIR", runtime},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"PATH", "/usr/bin:/bin"},
        {"LANG", "C.UTF-8"},
        // The desktop's settings in its own home, never on a bus.
        {"GSETTINGS_BACKEND", "keyfile"},
        // No service: a free port of loopback refuses at once.
        {"NIMBRA_SERVICE", "http://127.0.0.1:" + std::to_string(TestHttpServer::unusedPort())}};
    for (const char* inherited : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(inherited)) {
            variables[inherited] = value;
        }
    }
    for (const auto& [name, value] : overrides) {
        variables[name] = value;
    }
    std::vector<std::string> env;
    for (const auto& [name, value] : variables) {
        env.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    // unshare and the shell end in an exec of the program: the process started is Nimbra.
    std::vector<std::string> command = {m_program};
    if (!hostsFile.empty()) {
        command = {"/usr/bin/unshare",
                   "--mount",
                   "--",
                   "/bin/sh",
                   "-c",
                   "mount --bind \"$1\" /etc/hosts && exec \"$2\"",
                   "sh",
                   hostsFile,
                   m_program};
    }
    std::vector<char*> argv;
    for (std::string& argument : command) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        throw std::runtime_error("cannot start " + m_program);
    }
}

int NimbraProcess::waitForExit(double seconds)
{
    const auto deadline = Clock::now() + toMs(seconds);
    while (m_pid > 0 && Clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

bool NimbraProcess::isRunning()
{
    return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

void NimbraProcess::terminate()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
    }
}

void NimbraProcess::kill()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

std::string NimbraProcess::reportPath() const
{
    return m_home + "/.config/Nimbra/report.txt";
}

std::string NimbraProcess::waitForReport(const std::string& text, double seconds) const
{
    const auto deadline = Clock::now() + toMs(seconds);
    while (Clock::now() < deadline) {
        std::ifstream in(reportPath(), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (content.find(text) != std::string::npos) {
            return content;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}
