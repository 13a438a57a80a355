#pragma once

#include <sys/types.h>

#include <map>
#include <string>

// A real run of build/bin/nimbra (or of `program`, an installed one) on Qt's offscreen
// platform with a home folder of its own, so the tests see exactly what a user's first
// start does.
class NimbraProcess
{
public:
    explicit NimbraProcess(std::string home, std::string program = {});
    ~NimbraProcess();

    // Starts it with HOME, a private XDG_RUNTIME_DIR and the offscreen platform; `overrides`
    // replaces or adds variables of that environment. With `hostsFile`, it runs in a mount
    // namespace of its own where that file is /etc/hosts (root only), so it can reach a
    // server by a name without any real name lookup.
    void start(const std::map<std::string, std::string>& overrides = {}, const std::string& hostsFile = {});
    // Waits up to `seconds` for the process to end; its exit status, or -1 on time-out.
    int waitForExit(double seconds);
    bool isRunning();
    // Asks the program to end, as the system does at the end of a session.
    void terminate();
    void kill();

    // The data folder's report file once it holds `text`, empty after `seconds`.
    std::string waitForReport(const std::string& text, double seconds) const;
    std::string reportPath() const;

private:
    std::string m_home;
    std::string m_program;
    pid_t m_pid = -1;
};
