#pragma once

#include "platform/Host.h"

namespace platform {

class WindowsSystemInfo : public SystemInfo
{
public:
    // The family name of the version the system reports, or "Unknown" when it reports none.
    std::string osName() const override;
    int systemLanguageId() const override;
};

} // namespace platform
