#include "platform/windows/WindowsChromiumBrowsers.h"

#include "platform/windows/Handle.h"

#include <windows.h>

#include <shlobj.h>

namespace platform {

namespace {

// CSIDL_LOCAL_APPDATA without a trailing separator; empty when the system names none.
std::string localAppDataFolder()
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return "";
    }
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

bool isFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::vector<ChromiumBrowsers::Browser> chromiumBrowsersIn(const std::string& localAppData)
{
    struct Candidate
    {
        const char* folder;
        const char* name;
    };
    static constexpr Candidate kCandidates[] = {
        {"Chromium\\User Data", "Chromium"},
        {"Google\\Chrome\\User Data", "Google Chrome"},
        {"Google\\Chrome Beta\\User Data", "Google Chrome Beta"},
        {"Google\\Chrome Dev\\User Data", "Google Chrome Dev"},
        {"BraveSoftware\\Brave-Browser\\User Data", "Brave"},
        {"Microsoft\\Edge\\User Data", "Microsoft Edge"},
        {"Vivaldi\\User Data", "Vivaldi"},
    };
    std::vector<ChromiumBrowsers::Browser> found;
    if (localAppData.empty()) {
        return found;
    }
    const std::string base = localAppData.back() == '\\' ? localAppData : localAppData + "\\";
    for (const Candidate& candidate : kCandidates) {
        const std::string folder = base + candidate.folder;
        if (isFolder(folder)) {
            found.push_back({candidate.name, folder});
        }
    }
    return found;
}

std::vector<ChromiumBrowsers::Browser> WindowsChromiumBrowsers::installed() const
{
    return chromiumBrowsersIn(localAppDataFolder());
}

bool WindowsChromiumBrowsers::inUse(const std::string& userDataFolder) const
{
    // A running browser keeps others from writing its lockfile; anything else (no file, no
    // right to it) says nothing of a browser, and a file that opens is held by none.
    const Handle lock(CreateFileA((userDataFolder + "\\lockfile").c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    return !lock && GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace platform
