#pragma once

#include "platform/Host.h"

namespace platform {

class LinuxFolders : public Folders
{
public:
    std::string appDataFolder() const override;
    bool folderExists(const std::string& path) const override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) const override;
    std::string firefoxProfilesFolder() const override;
};

} // namespace platform
