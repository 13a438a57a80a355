#include "platform/linux/LinuxSystemInfo.h"

#include "platform/linux/LocaleLanguage.h"
#include "platform/linux/OsRelease.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <utility>

using namespace platform;

TEST(LanguageIdOfLocale, LanguageAndTerritoryElseTheLanguageElseUsEnglish)
{
    const std::pair<const char*, int> cases[] = {
        {"en_US.UTF-8", 1033}, {"de_DE.UTF-8", 1031}, {"fr_FR", 1036},       {"en_GB.utf8", 2057},
        {"es_ES.UTF-8", 3082}, {"it_IT", 1040},       {"ja_JP.eucJP", 1041}, {"zh_CN.GB2312", 2052},
        {"ru_RU", 1049},       {"pt_BR.UTF-8", 1046}, {"nl_NL@euro", 1043},  {"de_AT", 3079},
        {"DE_de.utf8", 1031},  {"de", 1031},          {"fr_SN.UTF-8", 1036}, {"sr_RS.UTF-8@latin", 9242},
        {"C", 1033},           {"POSIX", 1033},       {"C.UTF-8", 1033},     {"xx_YY", 1033},
    };
    for (const auto& [locale, id] : cases) {
        EXPECT_EQ(languageIdOfLocale(locale), id) << locale;
    }
}

TEST(LinuxSystemInfo, LanguageComesFromLcAllThenLcMessagesThenLang)
{
    LinuxSystemInfo info;
    ScopedEnv all("LC_ALL", "");
    ScopedEnv messages("LC_MESSAGES", "de_DE.UTF-8");
    ScopedEnv lang("LANG", "it_IT.UTF-8");
    EXPECT_EQ(info.systemLanguageId(), 1031);
    {
        ScopedEnv setAll("LC_ALL", "fr_FR.UTF-8");
        EXPECT_EQ(info.systemLanguageId(), 1036);
    }
    ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
    EXPECT_EQ(info.systemLanguageId(), 1040);
    ScopedEnv noLang("LANG", std::nullopt);
    EXPECT_EQ(info.systemLanguageId(), 1033);
}

TEST(PrettyNameOfOsRelease, UndoesTheShellQuoting)
{
    EXPECT_EQ(prettyNameOfOsRelease("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(prettyNameOfOsRelease("PRETTY_NAME='Arch Linux'\r\n"), "Arch Linux");
    EXPECT_EQ(prettyNameOfOsRelease("PRETTY_NAME=Alpine\n"), "Alpine");
    EXPECT_EQ(prettyNameOfOsRelease("PRETTY_NAME=\"My \\\"Own\\\" \\$OS\"\n"), "My \"Own\" $OS");
    EXPECT_EQ(prettyNameOfOsRelease("NAME=Debian\nXPRETTY_NAME=x\n"), "");
}
