// The help in the built application folder: the page the program opens is there, every
// page's links lead to files that were copied, the project lists exactly what was copied,
// and help.chm, when built, is a compiled help file holding every page.

#include "platform/Host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path fromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? fs::path(value) : fs::path();
}

const fs::path kAppDir = fromEnvironment("NIMBRA_APP_DIR");
const fs::path kBuiltHelp = kAppDir / "help";
const fs::path kSourceHelp = fromEnvironment("NIMBRA_SOURCE_DIR") / "help";

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> builtFiles()
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(kBuiltHelp)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The files named in help.hhp's [FILES] section, which go into help.chm.
std::set<std::string> projectFiles()
{
    std::set<std::string> names;
    std::istringstream lines(fileText(kSourceHelp / "help.hhp"));
    bool inFiles = false;
    for (std::string line; std::getline(lines, line);) {
        line.erase(line.find_last_not_of(" \r") + 1);
        if (!line.empty() && line.front() == '[') {
            inFiles = line == "[FILES]";
        } else if (inFiles && !line.empty()) {
            names.insert(line);
        }
    }
    return names;
}

} // namespace

TEST(HelpPages, TheProgramsHelpFileIsInTheApplicationFolder)
{
    ASSERT_FALSE(kAppDir.empty()) << "NIMBRA_APP_DIR is not set";
    EXPECT_TRUE(fs::is_regular_file(kBuiltHelp / "index.html"));
    EXPECT_TRUE(fs::is_regular_file(kAppDir / platform::kHelpFile));
}

TEST(HelpPages, EveryLocalLinkLeadsToACopiedFile)
{
    const std::regex reference(R"re(\b(?:href|src)\s*=\s*["']([^"']*)["'])re", std::regex::icase);
    const std::regex external(R"(^[A-Za-z][A-Za-z0-9+.-]*:)");
    int pages = 0;
    int links = 0;
    for (const std::string& name : builtFiles()) {
        if (fs::path(name).extension() != ".html") {
            continue;
        }
        ++pages;
        const std::string text = fileText(kBuiltHelp / name);
        for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it) {
            std::string target = (*it)[1];
            target = target.substr(0, target.find_first_of("#?"));
            if (target.empty() || std::regex_search(target, external)) {
                continue; // within the page, or a web address
            }
            ++links;
            // Links stay inside the help folder: the compiled help holds nothing else.
            const fs::path resolved = (kBuiltHelp / target).lexically_normal();
            EXPECT_EQ(resolved.parent_path(), kBuiltHelp.lexically_normal()) << name << ": " << target;
            EXPECT_TRUE(fs::is_regular_file(resolved)) << name << " links to missing " << target;
        }
    }
    EXPECT_GE(pages, 5);
    EXPECT_GE(links, pages);
}

TEST(HelpPages, TheProjectListsExactlyTheCopiedFilesAndTheContentsNameThem)
{
    const std::set<std::string> listed = projectFiles();
    EXPECT_EQ(listed, builtFiles());
    const std::regex local(R"re(<param\s+name="Local"\s+value="([^"]*)")re", std::regex::icase);
    for (const char* file : {"help.hhc", "help.hhk"}) {
        const std::string text = fileText(kSourceHelp / file);
        for (std::sregex_iterator it(text.begin(), text.end(), local), end; it != end; ++it) {
            EXPECT_TRUE(listed.count((*it)[1].str())) << file << " names " << (*it)[1];
        }
    }
    // A copy older than its source means the build missed a change.
    for (const std::string& name : listed) {
        EXPECT_EQ(fileText(kBuiltHelp / name), fileText(kSourceHelp / name)) << name;
    }
}

TEST(HelpPages, TheCompiledHelpHoldsEveryPage)
{
    if (!NIMBRA_HELP_CHM) {
        GTEST_SKIP() << "built without chmcmd: no help.chm";
    }
    const std::string chm = fileText(kAppDir / "help.chm");
    ASSERT_GT(chm.size(), 8u * 1024);
    EXPECT_EQ(chm.substr(0, 4), "ITSF");
    // The directory of a compiled help file names each file it holds in plain text.
    for (const std::string& name : projectFiles()) {
        EXPECT_NE(chm.find("/" + name), std::string::npos) << name << " is not in help.chm";
    }
}
