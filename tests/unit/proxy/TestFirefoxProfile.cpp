#include "proxy/FirefoxProfile.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// The installations of these tests.
const char* const kInstallsIni = "[3B6073811A6ABF12]\nDefault=yyyyyyyy.default-esr\nLocked=1\n";
const char* const kInstallSection = "[Install3B6073811A6ABF12]\nDefault=yyyyyyyy.default-esr\nLocked=1\n\n";
const char* const kProfileSections =
    "[Profile1]\nName=default\nIsRelative=1\nPath=xxxxxxxx.default\nDefault=1\n\n"
    "[Profile0]\nName=default-esr\nIsRelative=1\nPath=yyyyyyyy.default-esr\n\n"
    "[General]\nStartWithLastProfile=1\nVersion=2\n";

class FirefoxProfile : public testing::Test
{
protected:
    FirefoxProfile() { m_folders.firefoxProfiles = m_base.path() + "/"; }

    std::string folder(const std::string& name) const { return m_base.path() + "/" + name + "/"; }

    // The two profiles a first start of Firefox ESR leaves behind.
    void makeEsrProfiles() const
    {
        m_base.writeFile("xxxxxxxx.default/times.json", "{}");
        m_base.writeFile("yyyyyyyy.default-esr/prefs.js", "");
    }

    TempDir m_base;
    FakeFolders m_folders;
};

} // namespace

TEST_F(FirefoxProfile, EsrFirstStartPicksTheProfileInUse)
{
    makeEsrProfiles();
    m_base.writeFile("installs.ini", kInstallsIni);
    m_base.writeFile("profiles.ini", std::string(kInstallSection) + kProfileSections);
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
    EXPECT_EQ(GetFirefoxPrefsFile(m_folders), folder("yyyyyyyy.default-esr") + "prefs.js");
}

TEST_F(FirefoxProfile, WithoutInstallsIniTheInstallSectionOfProfilesIniCounts)
{
    makeEsrProfiles();
    m_base.writeFile("profiles.ini", std::string(kInstallSection) + kProfileSections);
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
}

TEST_F(FirefoxProfile, AMissingInstallDefaultFallsThrough)
{
    makeEsrProfiles();
    m_base.writeFile("installs.ini", "[3B6073811A6ABF12]\nDefault=gone.default-release\n");
    m_base.writeFile("profiles.ini", std::string(kInstallSection) + kProfileSections);
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
}

TEST_F(FirefoxProfile, InstallationsAreTakenInFileOrder)
{
    m_base.makeFolder("first.default-release");
    m_base.makeFolder("second.default-esr");
    m_base.makeFolder("third.default-esr");
    m_base.writeFile("installs.ini", "[ZZZZ]\nLocked=1\n\n[YYYY]\nDefault=gone.default\n\n"
                                     "[XXXX]\nDefault=first.default-release\n\n"
                                     "[AAAA]\nDefault=second.default-esr\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("first.default-release"));
}

TEST_F(FirefoxProfile, OlderFirefoxUsesTheProfileMarkedDefault)
{
    // Rule 3 wins over the "*.default" entry that also exists.
    makeEsrProfiles();
    m_base.makeFolder("aaaaaaaa.default-release");
    m_base.writeFile("profiles.ini", "[General]\nStartWithLastProfile=1\n\n"
                                     "[Profile0]\nName=old\nIsRelative=1\nPath=xxxxxxxx.default\n\n"
                                     "[Profile1]\nName=used\nIsRelative=1\nPath=aaaaaaaa.default-release\n"
                                     "Default=1\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("aaaaaaaa.default-release"));
}

TEST_F(FirefoxProfile, AbsoluteProfilePaths)
{
    TempDir elsewhere;
    elsewhere.makeFolder("kept");
    m_base.writeFile("profiles.ini", "[Profile0]\nName=moved\nIsRelative=0\nPath=" + elsewhere.file("kept") +
                                         "\nDefault=1\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), elsewhere.file("kept") + "/");

    m_base.writeFile("installs.ini", "[1234]\nDefault=" + elsewhere.path() + "/\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), elsewhere.path() + "/");
}

TEST_F(FirefoxProfile, RelativePathsWithSubfolders)
{
    m_base.makeFolder("Profiles/abcd.default-release");
    m_base.writeFile("installs.ini", "[1234]\nDefault=Profiles/abcd.default-release\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("Profiles/abcd.default-release"));
}

TEST_F(FirefoxProfile, AMissingMarkedProfileFallsBackToTheFolderScan)
{
    m_base.makeFolder("xxxxxxxx.default");
    m_base.writeFile("profiles.ini", "[Profile0]\nIsRelative=1\nPath=gone.default\nDefault=1\n");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("xxxxxxxx.default"));
}

TEST_F(FirefoxProfile, FolderScanTakesTheFirstDotDefaultByName)
{
    m_base.makeFolder("bbbb.default");
    m_base.makeFolder("aaaa.default");
    m_base.makeFolder(".0000.default");
    m_base.makeFolder("0000.default-esr");
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("aaaa.default"));
}

TEST_F(FirefoxProfile, HiddenEntriesAreNoProfile)
{
    m_base.makeFolder(".default");
    m_base.makeFolder(".cache.default");
    EXPECT_EQ(FindFirefoxProfile(m_folders), "");
    EXPECT_EQ(GetFirefoxPrefsFile(m_folders), "");
}

TEST_F(FirefoxProfile, ProfilesFolderWithoutTrailingSeparator)
{
    m_folders.firefoxProfiles = m_base.path();
    makeEsrProfiles();
    m_base.writeFile("installs.ini", kInstallsIni);
    EXPECT_EQ(FindFirefoxProfile(m_folders), folder("yyyyyyyy.default-esr"));
}

TEST(FirefoxProfileNone, NoProfilesFolderNoProfile)
{
    FakeFolders folders;
    EXPECT_EQ(FindFirefoxProfile(folders), "");
    EXPECT_EQ(GetFirefoxPrefsFile(folders), "");
}
