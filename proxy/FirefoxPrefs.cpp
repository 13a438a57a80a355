#include "proxy/FirefoxPrefs.h"

#include "platform/Files.h"
#include "proxy/FirefoxProfile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// A user.js holds a few KiB; one larger than this is no file of preferences to keep.
constexpr std::size_t kMaxUserJsSize = 16 * 1024 * 1024;

// Whether anything, a dangling link included, has this name.
bool entryExists(const std::string& path)
{
    std::error_code failed;
    return fs::symlink_status(path, failed).type() != fs::file_type::not_found && !failed;
}

// Deletes the file (or the link itself), never a folder.
bool deleteFile(const std::string& path)
{
    std::error_code failed;
    return fs::symlink_status(path, failed).type() != fs::file_type::directory && fs::remove(path, failed);
}

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    });
    return text;
}

} // namespace

std::string firefoxUserJs(bool enable, const std::string& host, const std::string& port,
                          const std::string& bypassList)
{
    const char* const cleared[] = {
        "user_pref(\"network.proxy.http\", \"\");",       "user_pref(\"network.proxy.http_port\", 0);",
        "user_pref(\"network.proxy.ssl\", \"\");",        "user_pref(\"network.proxy.ssl_port\", 0);",
        "user_pref(\"network.proxy.ftp\", \"\");",        "user_pref(\"network.proxy.ftp_port\", 0);",
        "user_pref(\"network.proxy.gopher\", \"\");",     "user_pref(\"network.proxy.gopher_port\", 0);",
        "user_pref(\"network.proxy.socks_version\", 5);",
    };
    std::string text =
        enable ? "user_pref(\"network.proxy.type\", 1);\r\n" : "user_pref(\"network.proxy.type\", 0);\r\n";
    for (const char* line : cleared) {
        text += line;
        text += "\r\n";
    }
    if (enable) {
        // The port goes right after the comma, without the blank the other lines have.
        text += "user_pref(\"network.proxy.socks\", \"" + host + "\");\r\n";
        text += "user_pref(\"network.proxy.socks_port\"," + port + ");\r\n";
        text += "user_pref(\"network.proxy.no_proxies_on\", \"" + bypassList + "\");\r\n";
    } else {
        text += "user_pref(\"network.proxy.socks\", \"\");\r\n";
        text += "user_pref(\"network.proxy.socks_port\", 0);\r\n";
    }
    return text;
}

FirefoxPrefsResult SetFirefoxProxy(const platform::Folders& folders, const platform::TopLevelWindows& windows,
                                   bool enable, const std::string& proxyAddress,
                                   const std::string& bypassList)
{
    const std::size_t colon = proxyAddress.find(':');
    const std::string host = proxyAddress.substr(0, colon);
    const std::string port = colon == std::string::npos ? "" : proxyAddress.substr(colon + 1);

    const std::string profile = FindFirefoxProfile(folders);
    if (profile.empty()) {
        return FirefoxPrefsResult::NoProfile;
    }
    const std::string userJs = profile + "user.js";
    if (entryExists(userJs)) {
        // The user's own file is kept once, and never overwritten by a later copy. It is
        // deleted only once that copy exists: a file that cannot be read is left as it is.
        // The copy is written whole or not at all, so a copy cut short never counts as kept.
        const std::string backup = userJs + ".first";
        if (!entryExists(backup)) {
            const std::optional<platform::FileHead> own = platform::readFileHead(userJs, kMaxUserJsSize);
            if (!own || own->cut || !platform::replaceFile(backup, own->text)) {
                return FirefoxPrefsResult::NotWritable;
            }
        }
        // What cannot be deleted (a folder, a file of a folder that takes no change) cannot
        // be replaced either.
        if (!deleteFile(userJs)) {
            return FirefoxPrefsResult::NotWritable;
        }
    }
    if (!platform::replaceFile(userJs, firefoxUserJs(enable, host, port, bypassList))) {
        return FirefoxPrefsResult::NotWritable;
    }
    return FindWindowByTitle(windows, "Mozilla Firefox") ? FirefoxPrefsResult::FirefoxOpen
                                                         : FirefoxPrefsResult::Written;
}

std::optional<std::uint64_t> FindWindowByTitle(const platform::TopLevelWindows& windows,
                                               const std::string& text)
{
    // Titles are read up to 255 characters, as far as the window walk has always read them.
    constexpr std::size_t kTitleLength = 255;
    constexpr std::size_t kFurtherWindows = 1000;
    const std::string wanted = lowerAscii(text);
    for (const auto& window : windows.inZOrder(1 + kFurtherWindows)) {
        if (lowerAscii(window.title.substr(0, kTitleLength)).find(wanted) != std::string::npos) {
            return window.handle;
        }
    }
    return std::nullopt;
}
