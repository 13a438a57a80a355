#include "core/UnblockMessage.h"

#include "platform/Host.h"

UnblockMessage unblockMessage(UnblockReason reason)
{
    if (reason == UnblockReason::HandshakeFailed)
        return {"Silent Update failed! You should enable the following programs to access the Internet with "
                "your Firewall. Then click the RECONNECT button.",
                true};
    return {"Connect to the Internet failed! You should enable the following programs to access the Internet "
            "with your Firewall. Then RESTART Nimbra.",
            false};
}

UnblockPaths unblockPaths(const std::string& applicationFolder)
{
    return {applicationFolder + platform::kNimbraProgram, applicationFolder + platform::kWardenProgram};
}
