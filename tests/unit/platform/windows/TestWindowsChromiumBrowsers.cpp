#include "platform/windows/WindowsChromiumBrowsers.h"

#include "platform/Files.h"

#include "UnderWine.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <windows.h>

using namespace platform;

using Browsers = std::vector<ChromiumBrowsers::Browser>;

TEST(WindowsChromiumBrowsers, TheUserDataFoldersThatExistBelowTheLocalAppDataInTheirOrder)
{
    TempDir temp;
    EXPECT_EQ(chromiumBrowsersIn(temp.path()), Browsers{});
    for (const char* folder : {"Vivaldi/User Data", "Google/Chrome Dev/User Data", "Chromium/User Data",
                               "Microsoft/Edge/User Data", "BraveSoftware/Brave-Browser/User Data"}) {
        temp.makeFolder(folder);
    }
    // Installed but never run: no user data yet. And a file of the name is no folder.
    temp.makeFolder("Google/Chrome Beta");
    temp.writeFile("Google/Chrome/User Data", "");

    const std::string base = temp.path() + "\\";
    const Browsers expected = {
        {"Chromium", base + "Chromium\\User Data"},
        {"Google Chrome Dev", base + "Google\\Chrome Dev\\User Data"},
        {"Brave", base + "BraveSoftware\\Brave-Browser\\User Data"},
        {"Microsoft Edge", base + "Microsoft\\Edge\\User Data"},
        {"Vivaldi", base + "Vivaldi\\User Data"},
    };
    EXPECT_EQ(chromiumBrowsersIn(temp.path()), expected);
    EXPECT_EQ(chromiumBrowsersIn(base), expected);
    // No folder is no base: never the current drive's root.
    EXPECT_EQ(chromiumBrowsersIn(""), Browsers{});
}

// The shell's local application data folder cannot be pointed elsewhere for one process,
// so a browser's folder is made in the real one: only in wine's prefix of the build, never
// in a user's own.
TEST(WindowsChromiumBrowsers, InstalledLooksInTheUsersLocalAppData)
{
    if (!underWine()) {
        GTEST_SKIP() << "makes a folder in the user's local application data";
    }
    const char* local = std::getenv("LOCALAPPDATA");
    ASSERT_NE(local, nullptr);
    const std::string vendor = std::string(local) + "\\Vivaldi";
    const std::string userData = vendor + "\\User Data";
    ASSERT_EQ(GetFileAttributesA(vendor.c_str()), INVALID_FILE_ATTRIBUTES) << "not the test's to touch";
    ASSERT_TRUE(CreateDirectoryA(vendor.c_str(), nullptr));
    const bool made = CreateDirectoryA(userData.c_str(), nullptr);
    const Browsers found = WindowsChromiumBrowsers().installed();
    RemoveDirectoryA(userData.c_str());
    RemoveDirectoryA(vendor.c_str());
    ASSERT_TRUE(made);
    EXPECT_EQ(found, (Browsers{{"Vivaldi", userData}}));
    EXPECT_EQ(WindowsChromiumBrowsers().installed(), Browsers{});
}

TEST(WindowsChromiumBrowsers, InUseWhileTheLockfileIsHeldForWritingSharedForReadingOnly)
{
    TempDir temp;
    const std::string folder = temp.makeFolder("User Data");
    const std::string lockfile = folder + "\\lockfile";
    WindowsChromiumBrowsers browsers;
    EXPECT_FALSE(browsers.inUse(folder));
    EXPECT_FALSE(browsers.inUse(temp.path() + "\\missing"));

    // As a running browser holds it: gone when its handle closes.
    HANDLE held = CreateFileA(lockfile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(browsers.inUse(folder));
    CloseHandle(held);
    EXPECT_FALSE(browsers.inUse(folder));

    // Left behind by a browser that crashed: held by no one, and left as it was.
    temp.writeFile("User Data/lockfile", "x");
    EXPECT_FALSE(browsers.inUse(folder));
    EXPECT_EQ(fileContent(lockfile), "x");
}

TEST(WindowsFiles, LinksAndJunctionsAreToldFromFilesAndFolders)
{
    TempDir temp;
    const std::string file = temp.writeFile("file", "x");
    const std::string folder = temp.makeFolder("folder");
    EXPECT_FALSE(isLink(file));
    EXPECT_FALSE(isLink(folder));
    EXPECT_FALSE(isLink(temp.file("missing")));
    // A profile folder or a Preferences file that leads elsewhere.
    const std::string folderLink = temp.file("folder-link");
    const std::string fileLink = temp.file("file-link");
    ASSERT_TRUE(CreateSymbolicLinkA(folderLink.c_str(), folder.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY));
    ASSERT_TRUE(CreateSymbolicLinkA(fileLink.c_str(), file.c_str(), 0));
    // Wine keeps a link as a link of the host's file system and reports the attributes of
    // what it leads to, never a reparse point; Windows reports the link itself.
    if (!underWine()) {
        EXPECT_TRUE(isLink(folderLink));
        EXPECT_TRUE(isLink(fileLink));
    }
}
