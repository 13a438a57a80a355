#include "platform/linux/LinuxSystemInfo.h"

#include "platform/linux/LocaleLanguage.h"
#include "platform/linux/OsRelease.h"
#include "platform/linux/XdgPaths.h"

#include <fstream>
#include <iterator>

namespace platform {

std::string LinuxSystemInfo::osName() const
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream in(path, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::string name = prettyNameOfOsRelease(text);
        if (!name.empty()) {
            return name;
        }
    }
    return "Linux";
}

int LinuxSystemInfo::systemLanguageId() const
{
    // The order in which the C library picks the locale of messages.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string locale = environmentValue(variable);
        if (!locale.empty()) {
            return languageIdOfLocale(locale);
        }
    }
    return languageIdOfLocale("C");
}

} // namespace platform
