#include "proxy/FirefoxProfile.h"

#include "core/HostQueries.h"

#include "platform/Files.h"
#include "platform/IniText.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// Profile lists are a few hundred bytes; a damaged or planted one is read this far only.
constexpr std::size_t kMaxListSize = 1024 * 1024;

// A profile list of the profiles folder as text; empty when it is not a regular file (a
// pipe would wait for a writer for ever), which names no profile, as an empty list does.
std::string loadList(const std::string& path)
{
    const std::optional<platform::FileHead> file = platform::readFileHead(path, kMaxListSize);
    return file ? file->text : "";
}

std::string valueOf(const IniText& ini, const std::string& section, const char* key)
{
    return ini.value(section, key).value_or("");
}

// A profile path of the lists (written with "/" on every system) as a folder below the
// profiles folder, ending in the separator. Paths that lead elsewhere, absolute ones, ones
// that climb with ".." and ones that name the profiles folder itself, give nothing: the
// profile changed is always one inside the profiles folder, whatever the lists say.
std::string profileFolder(const std::string& base, std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::filesystem::path relative(path);
    const std::filesystem::path normal = relative.lexically_normal();
    // A zero byte would end the path early where the system reads it.
    if (path.empty() || path.front() == '/' || path.find('\0') != std::string::npos ||
        relative.has_root_name() || normal.empty() || normal == "." ||
        std::any_of(relative.begin(), relative.end(), [](const auto& part) { return part == ".."; })) {
        return "";
    }
    std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
    return AddBackslash(base + path);
}

// Maps a section of an ini file to the profile folder it names, or to empty.
using SectionChoice = std::string (*)(const IniText& ini, const std::string& base,
                                      const std::string& section);

// Adds the folders the sections of `ini` name, in file order.
void addNamedProfiles(std::vector<std::string>& found, const IniText& ini, const std::string& base,
                      SectionChoice choice)
{
    for (const std::string& section : ini.sections()) {
        std::string folder = choice(ini, base, section);
        if (!folder.empty()) {
            found.push_back(std::move(folder));
        }
    }
}

// An installation's default profile.
std::string installDefault(const IniText& ini, const std::string& base, const std::string& section)
{
    return profileFolder(base, valueOf(ini, section, "Default"));
}

// profiles.ini repeats the installations in its [Install...] sections.
std::string installSectionDefault(const IniText& ini, const std::string& base, const std::string& section)
{
    return section.rfind("Install", 0) == 0 ? installDefault(ini, base, section) : "";
}

// The [ProfileN] section marked Default=1, the choice of older Firefox versions.
std::string markedDefaultProfile(const IniText& ini, const std::string& base, const std::string& section)
{
    const std::string prefix = "Profile";
    const bool isProfile = section.size() > prefix.size() && section.rfind(prefix, 0) == 0 &&
                           std::all_of(section.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                                       section.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!isProfile || valueOf(ini, section, "Default") != "1" || valueOf(ini, section, "IsRelative") != "1") {
        return "";
    }
    return profileFolder(base, valueOf(ini, section, "Path"));
}

using Candidate = std::optional<std::string>;

// The first "*.default" entry of the profiles folder, in name order so that the choice
// does not depend on the order the file system lists them in.
Candidate firstDotDefaultEntry(const std::string& base)
{
    const std::string suffix = ".default";
    std::vector<std::string> names;
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(base, failed)) {
        const std::string name = entry.path().filename().string();
        if (name.front() != '.' && name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            names.push_back(name);
        }
    }
    if (names.empty()) {
        return std::nullopt;
    }
    return AddBackslash(base + *std::min_element(names.begin(), names.end()));
}

} // namespace

std::vector<std::string> listedFirefoxProfiles(const std::string& profilesFolder,
                                               std::string_view installsIni, std::string_view profilesIni)
{
    const std::string base = AddBackslash(profilesFolder);
    const IniText installs(installsIni);
    const IniText profiles(profilesIni);
    std::vector<std::string> found;
    addNamedProfiles(found, installs, base, installDefault);
    addNamedProfiles(found, profiles, base, installSectionDefault);
    addNamedProfiles(found, profiles, base, markedDefaultProfile);
    return found;
}

std::string FindFirefoxProfile(const platform::Folders& folders)
{
    const std::string profilesFolder = folders.firefoxProfilesFolder();
    if (profilesFolder.empty()) {
        return "";
    }
    const std::string base = AddBackslash(profilesFolder);
    for (const std::string& folder :
         listedFirefoxProfiles(base, loadList(base + "installs.ini"), loadList(base + "profiles.ini"))) {
        if (folders.folderExists(folder)) {
            return folder;
        }
    }
    // The last resort: a "*.default" entry beside the lists (Linux keeps its profiles
    // there), else in their "Profiles" folder (where Windows keeps them).
    Candidate found = firstDotDefaultEntry(base);
    if (!found) {
        found = firstDotDefaultEntry(AddBackslash(base + "Profiles"));
    }
    return found.value_or("");
}

std::string GetFirefoxPrefsFile(const platform::Folders& folders)
{
    const std::string profile = FindFirefoxProfile(folders);
    return profile.empty() ? "" : profile + "prefs.js";
}
