#include "platform/linux/LinuxSystemInfo.h"

#include "platform/linux/LocaleLanguage.h"
#include "platform/linux/OsRelease.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <utility>

using namespace platform;

TEST(LanguageIdOfLocale, CommonLocales)
{
    const std::pair<const char*, int> cases[] = {
        {"en_US.UTF-8", 1033},  {"de_DE.UTF-8", 1031}, {"fr_FR", 1036},       {"en_GB.utf8", 2057},
        {"es_ES.UTF-8", 3082},  {"it_IT", 1040},       {"ja_JP.eucJP", 1041}, {"zh_CN.GB2312", 2052},
        {"ru_RU.KOI8-R", 1049}, {"pt_BR.UTF-8", 1046}, {"nl_NL@euro", 1043},  {"de_AT.UTF-8", 3079},
        {"zh_TW.Big5", 1028},   {"pt_PT", 2070},       {"sv_SE", 1053},       {"pl_PL", 1045},
    };
    for (const auto& [locale, id] : cases) {
        EXPECT_EQ(languageIdOfLocale(locale), id) << locale;
    }
}

TEST(LanguageIdOfLocale, LanguageWithoutAKnownTerritoryGetsItsMainCountry)
{
    EXPECT_EQ(languageIdOfLocale("de"), 1031);
    EXPECT_EQ(languageIdOfLocale("fr_SN.UTF-8"), 1036);
    EXPECT_EQ(languageIdOfLocale("pt_AO"), 1046);
    EXPECT_EQ(languageIdOfLocale("en_PH.UTF-8"), 1033);
}

TEST(LanguageIdOfLocale, ModifiersAndCase)
{
    EXPECT_EQ(languageIdOfLocale("sr_RS.UTF-8@latin"), 9242);
    EXPECT_EQ(languageIdOfLocale("sr_RS.UTF-8"), 10266);
    EXPECT_EQ(languageIdOfLocale("DE_de.utf8"), 1031);
}

TEST(LanguageIdOfLocale, UnknownAndNeutralLocalesAreUsEnglish)
{
    for (const char* locale : {"C", "POSIX", "C.UTF-8", "", "xx_YY", "tlh"}) {
        EXPECT_EQ(languageIdOfLocale(locale), 1033) << locale;
    }
}

TEST(LinuxSystemInfo, LanguageComesFromLcAllThenLcMessagesThenLang)
{
    LinuxSystemInfo info;
    ScopedEnv all("LC_ALL", "fr_FR.UTF-8");
    ScopedEnv messages("LC_MESSAGES", "de_DE.UTF-8");
    ScopedEnv lang("LANG", "it_IT.UTF-8");
    EXPECT_EQ(info.systemLanguageId(), 1036);
    {
        ScopedEnv emptyAll("LC_ALL", "");
        EXPECT_EQ(info.systemLanguageId(), 1031);
        ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
        EXPECT_EQ(info.systemLanguageId(), 1040);
        ScopedEnv noLang("LANG", std::nullopt);
        EXPECT_EQ(info.systemLanguageId(), 1033);
    }
}

TEST(PrettyNameOfOsRelease, UndoesTheShellQuoting)
{
    EXPECT_EQ(
        prettyNameOfOsRelease("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
        "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(prettyNameOfOsRelease("PRETTY_NAME='Arch Linux'\r\n"), "Arch Linux");
    EXPECT_EQ(prettyNameOfOsRelease("PRETTY_NAME=Alpine\n"), "Alpine");
    EXPECT_EQ(prettyNameOfOsRelease("PRETTY_NAME=\"My \\\"Own\\\" \\$OS\"\n"), "My \"Own\" $OS");
    EXPECT_EQ(prettyNameOfOsRelease("NAME=Debian\nXPRETTY_NAME=x\n"), "");
}

TEST(LinuxSystemInfo, OsNameIsNeverEmpty)
{
    EXPECT_FALSE(LinuxSystemInfo().osName().empty());
}
