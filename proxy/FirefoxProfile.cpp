#include "proxy/FirefoxProfile.h"

#include "proxy/HostQueries.h"

#include <SimpleIni.h>
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace {

// An ini file's sections in the order the file has them.
std::vector<std::string> sectionsInFileOrder(const CSimpleIniCaseA& ini)
{
    CSimpleIniCaseA::TNamesDepend sections;
    ini.GetAllSections(sections);
    sections.sort(CSimpleIniCaseA::Entry::LoadOrder());
    std::vector<std::string> names;
    for (const auto& section : sections) {
        names.emplace_back(section.pItem);
    }
    return names;
}

std::string valueOf(const CSimpleIniCaseA& ini, const std::string& section, const char* key)
{
    const char* value = ini.GetValue(section.c_str(), key, "");
    return value ? value : "";
}

// A profile path of the ini files as a folder ending in the separator: relative ones
// (written with "/" on every system) below the profiles folder.
std::string profileFolder(const std::string& base, const std::string& path, bool relative)
{
    std::string folder = relative ? base + path : path;
    std::replace(folder.begin(), folder.end(), '/', platform::kPathSeparator);
    return AddBackslash(folder);
}

using Candidate = std::optional<std::string>;

// Maps a section of an ini file to the profile folder it names, or to empty.
using SectionChoice = std::string (*)(const CSimpleIniCaseA& ini, const std::string& base,
                                      const std::string& section);

// The first folder that exists among those the sections of `file` name, in file order.
Candidate firstExistingProfile(const platform::Folders& folders, const std::string& base, const char* file,
                               SectionChoice choice)
{
    CSimpleIniCaseA ini;
    if (ini.LoadFile((base + file).c_str()) < 0) {
        return std::nullopt;
    }
    for (const std::string& section : sectionsInFileOrder(ini)) {
        const std::string folder = choice(ini, base, section);
        if (!folder.empty() && folders.folderExists(folder)) {
            return folder;
        }
    }
    return std::nullopt;
}

// An installation's default profile: relative to the profiles folder, or absolute.
std::string installDefault(const CSimpleIniCaseA& ini, const std::string& base, const std::string& section)
{
    const std::string path = valueOf(ini, section, "Default");
    return path.empty() ? "" : profileFolder(base, path, !std::filesystem::path(path).is_absolute());
}

// profiles.ini repeats the installations in its [Install...] sections.
std::string installSectionDefault(const CSimpleIniCaseA& ini, const std::string& base,
                                  const std::string& section)
{
    return section.rfind("Install", 0) == 0 ? installDefault(ini, base, section) : "";
}

// The [ProfileN] section marked Default=1, the choice of older Firefox versions.
std::string markedDefaultProfile(const CSimpleIniCaseA& ini, const std::string& base,
                                 const std::string& section)
{
    const std::string prefix = "Profile";
    const bool isProfile = section.size() > prefix.size() && section.rfind(prefix, 0) == 0 &&
                           std::all_of(section.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                                       section.end(), [](char c) { return c >= '0' && c <= '9'; });
    const std::string path = valueOf(ini, section, "Path");
    if (!isProfile || valueOf(ini, section, "Default") != "1" || path.empty()) {
        return "";
    }
    return profileFolder(base, path, valueOf(ini, section, "IsRelative") == "1");
}

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

std::string FindFirefoxProfile(const platform::Folders& folders)
{
    const std::string profilesFolder = folders.firefoxProfilesFolder();
    if (profilesFolder.empty()) {
        return "";
    }
    const std::string base = AddBackslash(profilesFolder);
    Candidate found = firstExistingProfile(folders, base, "installs.ini", installDefault);
    if (!found) {
        found = firstExistingProfile(folders, base, "profiles.ini", installSectionDefault);
    }
    if (!found) {
        found = firstExistingProfile(folders, base, "profiles.ini", markedDefaultProfile);
    }
    if (!found) {
        found = firstDotDefaultEntry(base);
    }
    return found.value_or("");
}

std::string GetFirefoxPrefsFile(const platform::Folders& folders)
{
    const std::string profile = FindFirefoxProfile(folders);
    return profile.empty() ? "" : profile + "prefs.js";
}
