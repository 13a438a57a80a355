#pragma once

#include "platform/ChildProcess.h"

namespace platform {

// CreateProcessA with an anonymous pipe for the child's standard output and error. Each
// child is put in a job object of its own that ends it when its handle closes, so a child
// does not outlive this program, however this program ends. Where no job can be had
// (Windows 7 refuses one inside the job this program may run in) the child is still ended
// when it is released.
class WindowsChildProcesses : public ChildProcesses
{
public:
    std::unique_ptr<ChildProcess> start(const std::string& program,
                                        const std::vector<std::string>& arguments) override;
};

} // namespace platform
