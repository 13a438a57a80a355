// The profile lists of a Firefox profiles folder as another program may leave them: every
// profile they lead to is a folder inside the profiles folder, whatever they say. The
// lists are read as text, so no file is written or asked about per input.

#include "proxy/FirefoxProfile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

// Only named, never looked at: the lists' paths are judged by their text alone.
const std::filesystem::path kProfilesFolder = "/nimbra-fuzz/Profiles";

} // namespace

// installs.ini, then after the first NUL byte profiles.ini.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view installs = input.substr(0, split);
    const std::string_view profiles = split == std::string_view::npos ? "" : input.substr(split + 1);

    for (const std::string& folder :
         listedFirefoxProfiles(kProfilesFolder.string() + "/", installs, profiles)) {
        // A zero byte would end the path early where the system reads it.
        FUZZ_CHECK(folder.find('\0') == std::string::npos && folder.back() == '/');
        const std::filesystem::path inside =
            std::filesystem::path(folder).lexically_normal().lexically_relative(kProfilesFolder);
        FUZZ_CHECK(!inside.empty() && *inside.begin() != "." && *inside.begin() != "..");
    }
    return 0;
}
