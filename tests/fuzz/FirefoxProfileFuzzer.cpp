// The profile lists of a Firefox profiles folder as another program may leave them: the
// profile chosen is always a folder inside the profiles folder, whatever they say.

#include "proxy/FirefoxProfile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A profiles folder for the whole run, with profiles the lists may name, and a profile
// outside it that they must never lead to.
const std::string& profilesFolder()
{
    static const std::string base = [] {
        char folder[] = "/tmp/nimbra-fuzz-XXXXXX";
        if (mkdtemp(folder) == nullptr)
            std::abort();
        static const std::string made = folder;
        for (const char* profile : {"/Profiles/a.default", "/Profiles/b.default-esr",
                                    "/Profiles/x/c.default-release", "/outside.default"})
            fs::create_directories(made + profile);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(made, ignored);
        });
        return made + "/Profiles/";
    }();
    return base;
}

// Folders as the profile search asks them: only the profiles folder is known.
class ProfilesFolder : public platform::Folders
{
public:
    std::string appDataFolder() const override { return ""; }
    bool folderExists(const std::string& path) const override { return fs::is_directory(path); }
    bool createFolder(const std::string&) override { return false; }
    bool fileExists(const std::string& path) const override { return fs::is_regular_file(path); }
    std::string firefoxProfilesFolder() const override { return profilesFolder(); }
};

} // namespace

// installs.ini, then after the first NUL byte profiles.ini.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    std::ofstream(profilesFolder() + "installs.ini", std::ios::binary | std::ios::trunc)
        << input.substr(0, split);
    std::ofstream(profilesFolder() + "profiles.ini", std::ios::binary | std::ios::trunc)
        << (split == std::string::npos ? "" : input.substr(split + 1));

    const ProfilesFolder folders;
    const std::string profile = FindFirefoxProfile(folders);
    FUZZ_CHECK(!profile.empty()); // a.default is always there to fall back on
    const fs::path chosen = fs::weakly_canonical(profile);
    const fs::path base = fs::weakly_canonical(profilesFolder());
    const auto [end, ignored] = std::mismatch(base.begin(), base.end(), chosen.begin(), chosen.end());
    FUZZ_CHECK(end == base.end() && chosen != base);
    return 0;
}
