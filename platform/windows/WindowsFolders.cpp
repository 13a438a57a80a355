#include "platform/windows/WindowsFolders.h"

#include "platform/windows/WindowsSystemInfo.h"

#include <windows.h>

#include <shlobj.h>

namespace platform {

namespace {

bool isFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string withoutTrailingSeparator(std::string path)
{
    // A drive's root keeps its separator: "C:" alone would mean the drive's current folder.
    while (path.size() > 3 && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

// The file-system path of a shell special folder; empty when it has none.
std::string specialFolder(int csidl)
{
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr) {
        return "";
    }
    char path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
    return found ? path : "";
}

// The Windows folder as the system gives it, without a trailing separator.
std::string windowsFolder()
{
    char path[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryA(path, sizeof(path));
    return length > 0 && length < sizeof(path) ? withoutTrailingSeparator(path) : "";
}

} // namespace

std::string WindowsFolders::appDataFolder() const
{
    // The Windows 98 line keeps per-user data below the Windows folder. Every other version,
    // the ones after Vista too, has the shell's per-user application data folder.
    std::string folder;
    if (WindowsSystemInfo().osName() == "Win98") {
        const std::string windows = windowsFolder();
        folder = windows.empty() ? "" : windows + "\\Application Data";
    } else {
        folder = withoutTrailingSeparator(specialFolder(CSIDL_APPDATA));
    }
    if (folder.empty()) {
        return "";
    }
    // A fresh profile may not have it yet; the caller expects a folder it can make its own in.
    if (!isFolder(folder) && !CreateDirectoryA(folder.c_str(), nullptr) && !isFolder(folder)) {
        return "";
    }
    return folder;
}

bool WindowsFolders::folderExists(const std::string& path) const
{
    return isFolder(path);
}

bool WindowsFolders::createFolder(const std::string& path)
{
    if (path.empty()) {
        return false;
    }
    // A folder made meanwhile by someone else is as good as one made here.
    return CreateDirectoryA(path.c_str(), nullptr) ||
           (GetLastError() == ERROR_ALREADY_EXISTS && isFolder(path));
}

bool WindowsFolders::fileExists(const std::string& path) const
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WindowsFolders::firefoxProfilesFolder() const
{
    const std::string appData = appDataFolder();
    return appData.empty() ? "" : firefoxProfilesFolderIn(appData);
}

std::string firefoxProfilesFolderIn(const std::string& appData)
{
    // profiles.ini and installs.ini lie here; the profiles themselves in its "Profiles".
    const std::string folder = withoutTrailingSeparator(appData) + "\\Mozilla\\Firefox\\";
    return isFolder(folder) ? folder : "";
}

} // namespace platform
