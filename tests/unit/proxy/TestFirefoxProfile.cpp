#include "proxy/FirefoxProfile.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

// Named pipes in a folder and forked children are POSIX only.
#ifndef _WIN32
#include "tests/support/BoundedChild.h"
#include <sys/stat.h>
#endif

namespace {

// What a first start of Firefox ESR leaves: an unused "*.default" and the profile in use.
const std::string kInstallsIni = "[3B6073811A6ABF12]\nDefault=yyyyyyyy.default-esr\nLocked=1\n";
const std::string kProfilesIni =
    "[Install3B6073811A6ABF12]\nDefault=yyyyyyyy.default-esr\nLocked=1\n\n"
    "[Profile1]\nName=default\nIsRelative=1\nPath=xxxxxxxx.default\nDefault=1\n\n"
    "[Profile0]\nName=default-esr\nIsRelative=1\nPath=yyyyyyyy.default-esr\n\n"
    "[General]\nStartWithLastProfile=1\nVersion=2\n";

class FirefoxProfile : public testing::Test
{
protected:
    FirefoxProfile()
    {
        m_folders.firefoxProfiles = m_base.path() + platform::kPathSeparator;
        m_base.writeFile("xxxxxxxx.default/times.json", "{}");
        m_base.writeFile("yyyyyyyy.default-esr/prefs.js", "");
    }

    std::string folder(const std::string& name) const
    {
        return m_base.path() + platform::kPathSeparator + name + platform::kPathSeparator;
    }

    TempDir m_base;
    FakeFolders m_folders;
};

} // namespace

TEST_F(FirefoxProfile, EsrFirstStartPicksTheProfileInUse)
{
    m_base.writeFile("installs.ini", kInstallsIni);
    m_base.writeFile("profiles.ini", kProfilesIni);
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
    EXPECT_EQ(GetFirefoxPrefsFile(m_folders), folder("yyyyyyyy.default-esr") + "prefs.js");
    // Also from a profiles folder given without its separator.
    m_folders.firefoxProfiles = m_base.path();
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
}

TEST_F(FirefoxProfile, AMissingInstallDefaultFallsThroughToProfilesIni)
{
    m_base.writeFile("installs.ini", "[3B6073811A6ABF12]\nDefault=gone.default-release\n");
    m_base.writeFile("profiles.ini", kProfilesIni);
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
}

TEST_F(FirefoxProfile, InstallationsAreTakenInFileOrder)
{
    m_base.makeFolder("Profiles/first.default-release");
    m_base.writeFile("installs.ini", "[ZZZZ]\nLocked=1\n\n[YYYY]\nDefault=gone.default\n\n"
                                     "[XXXX]\nDefault=Profiles/first.default-release\n\n"
                                     "[AAAA]\nDefault=yyyyyyyy.default-esr\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders),
              folder(std::string("Profiles") + platform::kPathSeparator + "first.default-release"));
}

TEST_F(FirefoxProfile, OlderFirefoxUsesTheProfileMarkedDefault)
{
    // The marked profile wins over the "*.default" folder that also exists.
    m_base.writeFile("profiles.ini", "[Profile0]\nIsRelative=1\nPath=xxxxxxxx.default\n\n"
                                     "[Profile1]\nIsRelative=1\nPath=yyyyyyyy.default-esr\nDefault=1\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
}

TEST_F(FirefoxProfile, PathsLeadingOutOfTheProfilesFolderAreNotTaken)
{
    // Each exists, but lies outside: the search goes on to the "*.default" folder.
    TempDir elsewhere;
    m_base.makeFolder("inside");
    for (const std::string& path :
         {elsewhere.path(), std::string("../") + std::filesystem::path(elsewhere.path()).filename().string(),
          std::string("inside/../../x"), std::string("inside\\..\\.."), std::string("."), std::string("./"),
          std::string(".\0/x", 4)}) {
        m_base.writeFile("installs.ini", "[1234]\nDefault=" + path + "\n");
        m_base.writeFile("profiles.ini", "[Profile0]\nIsRelative=0\nPath=" + path + "\nDefault=1\n");
        EXPECT_EQ(FindFirefoxProfile(m_folders), folder("xxxxxxxx.default")) << path;
    }
}

TEST_F(FirefoxProfile, DamagedListsAreReadAsFarAsTheyGoAndNeverWaitedOn)
{
    // Binary junk, and a list beyond 1 MiB whose useful part comes too late.
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk += static_cast<char>((i * 7919) & 0xff);
    }
    m_base.writeFile("installs.ini", junk);
    m_base.writeFile("profiles.ini",
                     std::string(2 << 20, '#') +
                         "\n[Profile0]\nIsRelative=1\nPath=yyyyyyyy.default-esr\nDefault=1\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("xxxxxxxx.default"));
#ifndef _WIN32
    // A pipe where a list should be.
    std::filesystem::remove(m_base.file("installs.ini"));
    ASSERT_EQ(mkfifo(m_base.file("installs.ini").c_str(), 0600), 0);
    const auto found =
        runBounded([&] { return FindFirefoxProfile(m_folders) == folder("xxxxxxxx.default") ? 0 : 1; },
                   256 << 20, std::chrono::seconds(10));
    EXPECT_EQ(found, 0);
#endif
}

TEST_F(FirefoxProfile, WithoutAUsableIniTheFirstVisibleDotDefaultByName)
{
    m_base.writeFile("profiles.ini", "[Profile0]\nIsRelative=1\nPath=gone.default\nDefault=1\n");
    m_base.makeFolder("aaaa.default");
    m_base.makeFolder(".0000.default");
    m_base.makeFolder("0000.default-esr");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("aaaa.default"));
}

TEST(FirefoxProfileLists, NameTheirProfilesInTheOrderTheyAreTriedWithoutAFileSystem)
{
    // A profiles folder that is not there: the lists are judged by their text alone.
    const std::string base = std::string("nowhere") + platform::kPathSeparator + "Profiles";
    const auto folder = [&](const std::string& name) {
        return base + platform::kPathSeparator + name + platform::kPathSeparator;
    };
    const std::string installs = "[B]\nDefault=one\n\n[A]\nDefault=../out\n\n[C]\nDefault=two\n";
    const std::string profiles = "[Profile0]\nIsRelative=1\nPath=four\nDefault=1\n\n"
                                 "[Profile1]\nIsRelative=0\nPath=five\nDefault=1\n\n"
                                 "[Other]\nDefault=six\n\n[Install9]\nDefault=three\n";
    EXPECT_EQ(listedFirefoxProfiles(base, installs, profiles),
              (std::vector<std::string>{folder("one"), folder("two"), folder("three"), folder("four")}));
    EXPECT_EQ(listedFirefoxProfiles(base + platform::kPathSeparator, "", profiles),
              (std::vector<std::string>{folder("three"), folder("four")}));
    EXPECT_TRUE(listedFirefoxProfiles(base, "", "").empty());
}

TEST(FirefoxProfileNone, NoProfilesFolderOrOnlyHiddenEntries)
{
    FakeFolders folders;
    EXPECT_EQ(GetFirefoxPrefsFile(folders), "");
    TempDir base;
    base.makeFolder(".default");
    base.makeFolder(".cache.default");
    folders.firefoxProfiles = base.path() + platform::kPathSeparator;
    EXPECT_EQ(FindFirefoxProfile(folders), "");
    // Windows keeps its profiles in the "Profiles" folder beside the lists.
    base.makeFolder("Profiles/zzzz.default");
    EXPECT_EQ(FindFirefoxProfile(folders), folders.firefoxProfiles + "Profiles" + platform::kPathSeparator +
                                               "zzzz.default" + platform::kPathSeparator);
}
