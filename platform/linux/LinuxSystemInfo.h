#pragma once

#include "platform/Host.h"

namespace platform {

class LinuxSystemInfo : public SystemInfo
{
public:
    // The distribution's PRETTY_NAME, or "Linux".
    std::string osName() const override;
    // The language id of LC_ALL, else LC_MESSAGES, else LANG.
    int systemLanguageId() const override;
};

} // namespace platform
