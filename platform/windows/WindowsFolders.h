#pragma once

#include "platform/Host.h"

namespace platform {

// The shell's special folders and the file system through the ANSI API.
class WindowsFolders : public Folders
{
public:
    // CSIDL_APPDATA; on the Windows 98 line the Windows folder's "Application Data".
    std::string appDataFolder() const override;
    bool folderExists(const std::string& path) const override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) const override;
    std::string firefoxProfilesFolder() const override;
};

// Firefox's folder below an application data folder: `appData`\Mozilla\Firefox\ where it
// exists, else empty.
std::string firefoxProfilesFolderIn(const std::string& appData);

} // namespace platform
