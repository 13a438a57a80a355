// A Chromium-family browser's Local State and Preferences as anything may leave them: the
// profiles named are plain folder names, and a policy set and then put back gives back
// the policy the file had.

#include "proxy/ChromiumPrefs.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    if (const auto names = profileNames(input)) {
        for (const std::string& name : *names) {
            FUZZ_CHECK(!name.empty() && name != "." && name != "..");
            FUZZ_CHECK(name.find_first_of("/\\:") == std::string::npos);
        }
    }

    const std::optional<WebRtcPolicy> had = readWebRtcPolicy(input);
    const std::optional<std::string> on = withWebRtcPolicy(input, proxiedWebRtcPolicy());
    FUZZ_CHECK(had.has_value() == on.has_value());
    if (!on) {
        return 0;
    }
    FUZZ_CHECK(readWebRtcPolicy(*on) == proxiedWebRtcPolicy());
    const std::optional<std::string> back = withWebRtcPolicy(*on, *had);
    FUZZ_CHECK(back && readWebRtcPolicy(*back) == had);
    return 0;
}
