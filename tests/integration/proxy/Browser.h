#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Runs a program (a browser and every process it starts) in a process group of its own,
// with `env` added to this process's environment, and returns what it wrote to its
// standard output once it has ended; nothing when it ran longer than `limit`. The whole
// group is killed at the end either way, so no browser process outlives the test.
std::optional<std::string> runToEnd(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& env,
                                    std::chrono::seconds limit);

// The same, started and left running until the object goes.
class RunningProgram
{
public:
    RunningProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Kills the group and reaps the program.
    void stop();

private:
    int m_pid = -1;
};
