#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A program the tray program started, and the pipe that carries its standard output and
// standard error. Its handles are released, and the process reaped, when the object goes.
class ChildProcess
{
public:
    virtual ~ChildProcess() = default;

    // Whether it still runs (the still-active answer of the exit code).
    virtual bool isRunning() = 0;
    // How many bytes wait in the pipe; nothing when the pipe cannot be asked.
    virtual std::optional<std::size_t> bytesWaiting() = 0;
    // Reads up to `size` bytes of what waits, without waiting for more.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // The descriptor of the pipe's reading end, for an event loop to watch: it turns
    // readable when output waits and once the child's end has closed. Nothing where the
    // system offers no such descriptor, and the pipe can only be polled.
    virtual std::optional<int> outputDescriptor() const = 0;
    // Ends it at once, with no notice; false when the system refused.
    virtual bool terminate() = 0;
};

class ChildProcesses
{
public:
    virtual ~ChildProcesses() = default;

    // Starts `program` with `arguments` (each passed as it is, no shell), hidden, with its
    // standard output and error into one pipe and this program's standard input; nothing
    // when it could not be started.
    virtual std::unique_ptr<ChildProcess> start(const std::string& program,
                                                const std::vector<std::string>& arguments) = 0;
};

} // namespace platform
