#include "proxy/FirefoxPrefs.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

const std::string kAddress = "127.0.0.1:7070";

class FirefoxPrefs : public testing::Test
{
protected:
    FirefoxPrefs()
    {
        m_folders.firefoxProfiles = m_base.path() + "/";
        m_base.writeFile("abcd.default/prefs.js", "");
    }

    FirefoxPrefsResult set(bool enable, const std::string& bypass = "")
    {
        return SetFirefoxProxy(m_folders, m_windows, enable, kAddress, bypass);
    }
    std::string file(const std::string& name) const { return m_base.file("abcd.default/" + name); }

    TempDir m_base;
    FakeFolders m_folders;
    FakeTopLevelWindows m_windows;
};

} // namespace

TEST(FirefoxUserJs, TheThirteenLinesOnAndTheTwelveOff)
{
    const std::string common = "user_pref(\"network.proxy.http\", \"\");\r\n"
                               "user_pref(\"network.proxy.http_port\", 0);\r\n"
                               "user_pref(\"network.proxy.ssl\", \"\");\r\n"
                               "user_pref(\"network.proxy.ssl_port\", 0);\r\n"
                               "user_pref(\"network.proxy.ftp\", \"\");\r\n"
                               "user_pref(\"network.proxy.ftp_port\", 0);\r\n"
                               "user_pref(\"network.proxy.gopher\", \"\");\r\n"
                               "user_pref(\"network.proxy.gopher_port\", 0);\r\n"
                               "user_pref(\"network.proxy.socks_version\", 5);\r\n";
    EXPECT_EQ(firefoxUserJs(true, "127.0.0.1", "7070", "a.example,b.example,"),
              "user_pref(\"network.proxy.type\", 1);\r\n" + common +
                  "user_pref(\"network.proxy.socks\", \"127.0.0.1\");\r\n"
                  "user_pref(\"network.proxy.socks_port\",7070);\r\n"
                  "user_pref(\"network.proxy.no_proxies_on\", \"a.example,b.example,\");\r\n");
    EXPECT_EQ(firefoxUserJs(false, "", "", ""), "user_pref(\"network.proxy.type\", 0);\r\n" + common +
                                                    "user_pref(\"network.proxy.socks\", \"\");\r\n"
                                                    "user_pref(\"network.proxy.socks_port\", 0);\r\n");
}

TEST_F(FirefoxPrefs, WritesUserJsAndKeepsTheUsersOwnFileOnce)
{
    // No Firefox window: nothing to say.
    EXPECT_EQ(set(true), FirefoxPrefsResult::Written);
    EXPECT_EQ(fileContent(file("user.js")), firefoxUserJs(true, "127.0.0.1", "7070", ""));
    EXPECT_FALSE(std::filesystem::exists(file("user.js.first"))); // nothing of the user's to keep

    m_base.writeFile("abcd.default/user.js", "user_pref(\"the.users.own\", true);\n");
    EXPECT_EQ(set(false), FirefoxPrefsResult::Written);
    EXPECT_EQ(set(true, "x,"), FirefoxPrefsResult::Written);
    EXPECT_EQ(fileContent(file("user.js.first")), "user_pref(\"the.users.own\", true);\n");
    EXPECT_EQ(fileContent(file("user.js")), firefoxUserJs(true, "127.0.0.1", "7070", "x,"));
}

TEST_F(FirefoxPrefs, ARestartIsAskedForWhileAFirefoxWindowIsOpenOnAndOff)
{
    m_windows.windows = {{1, "Terminal"}, {2, "Nimbra - MOZILLA FIREFOX"}};
    EXPECT_EQ(set(true), FirefoxPrefsResult::FirefoxOpen);
    EXPECT_EQ(set(false), FirefoxPrefsResult::FirefoxOpen);
    EXPECT_EQ(fileContent(file("user.js")), firefoxUserJs(false, "", "", ""));
}

TEST_F(FirefoxPrefs, AUserJsThatCannotBeReplacedIsSaidOnceAndTheSwitchGoesOn)
{
    // A folder in user.js's place: the deletion is refused, so the file cannot be made.
    // It is said once, and nothing escapes to stop the caller's switch half-way.
    m_base.makeFolder("abcd.default/user.js/inner");
    FirefoxPrefsResult result = FirefoxPrefsResult::Written;
    EXPECT_NO_THROW(result = set(true));
    EXPECT_EQ(result, FirefoxPrefsResult::NotWritable);
    EXPECT_TRUE(std::filesystem::is_directory(file("user.js/inner")));

    // No user.js yet, but a profile folder that takes no new file: the same one box.
    std::filesystem::remove_all(file("user.js"));
    std::filesystem::permissions(m_base.file("abcd.default"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    result = set(false);
    std::filesystem::permissions(m_base.file("abcd.default"), std::filesystem::perms::owner_all);
    if (!std::filesystem::exists(file("user.js"))) { // root writes anyway
        EXPECT_EQ(result, FirefoxPrefsResult::NotWritable);
    }
}

TEST_F(FirefoxPrefs, AUserJsThatCannotBeKeptIsNeitherDeletedNorReplaced)
{
#ifdef _WIN32
    GTEST_SKIP() << "no named pipe or symbolic link in a profile folder there";
#else
    // Files a copy cannot read, even for root: a named pipe, a link to nothing.
    ASSERT_EQ(mkfifo(file("user.js").c_str(), 0600), 0);
    EXPECT_EQ(set(true), FirefoxPrefsResult::NotWritable);
    EXPECT_EQ(std::filesystem::symlink_status(file("user.js")).type(), std::filesystem::file_type::fifo);
    std::filesystem::remove(file("user.js"));
    std::filesystem::create_symlink(m_base.file("nowhere"), file("user.js"));
    EXPECT_EQ(set(true), FirefoxPrefsResult::NotWritable);
    EXPECT_TRUE(std::filesystem::is_symlink(file("user.js")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(file("user.js.first"))));
#endif
}

TEST_F(FirefoxPrefs, LinksInTheProfileAreNeverWrittenThrough)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows that a user does not have";
#endif
    TempDir outside;
    m_base.writeFile("abcd.default/user.js", "own");
    std::filesystem::create_symlink(outside.file("planted"), file("user.js.first"));
    set(true);
    EXPECT_FALSE(std::filesystem::exists(outside.file("planted")));
    std::filesystem::remove(file("user.js"));
    std::filesystem::create_symlink(outside.file("target"), file("user.js"));
    outside.writeFile("target", "kept");
    set(false);
    EXPECT_EQ(fileContent(outside.file("target")), "kept");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(file("user.js"))));
}

TEST_F(FirefoxPrefs, NoProfileNoChange)
{
    m_folders.firefoxProfiles.clear();
    EXPECT_EQ(set(true), FirefoxPrefsResult::NoProfile);
    EXPECT_FALSE(std::filesystem::exists(file("user.js")));
}

TEST(FindWindowByTitle, AnyCaseWithinTheFirst255CharactersOfTheTopmost1001Windows)
{
    FakeTopLevelWindows windows;
    for (std::uint64_t i = 0; i < 1001; ++i) {
        windows.windows.push_back({i, std::string(255, 'x') + " - Mozilla Firefox"});
    }
    EXPECT_EQ(FindWindowByTitle(windows, "Mozilla Firefox"), std::nullopt); // beyond 255 characters
    windows.windows[1000].title = "New Tab - mozilla FIREFOX";
    EXPECT_EQ(FindWindowByTitle(windows, "Mozilla Firefox"), 1000u);
    windows.windows[1000].title = "Terminal";
    windows.windows.push_back({1001, "Mozilla Firefox"}); // the 1002nd window is not looked at
    EXPECT_EQ(FindWindowByTitle(windows, "Mozilla Firefox"), std::nullopt);
}
