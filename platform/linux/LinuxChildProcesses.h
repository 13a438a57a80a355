#pragma once

#include "platform/ChildProcess.h"

namespace platform {

// posix_spawn from the calling thread, which must be the GUI thread: Warden's request to
// end with its parent follows the thread that started it.
class LinuxChildProcesses : public ChildProcesses
{
public:
    std::unique_ptr<ChildProcess> start(const std::string& program,
                                        const std::vector<std::string>& arguments) override;
};

} // namespace platform
