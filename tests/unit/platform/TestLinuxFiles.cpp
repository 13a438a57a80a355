#include "platform/Files.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace platform;

namespace {

mode_t permissions(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST(ReplaceFile, ANewFileIsPrivateAReplacedOneKeepsItsPermissions)
{
    TempDir temp;
    const std::string fresh = temp.file("fresh");
    ASSERT_TRUE(replaceFile(fresh, "one"));
    EXPECT_EQ(fileContent(fresh), "one");
    EXPECT_EQ(permissions(fresh), 0600u);

    // A desktop's configuration file other programs read stays readable to them.
    const std::string shared = temp.writeFile("shared", "old");
    chmod(shared.c_str(), 0644);
    ASSERT_TRUE(replaceFile(shared, "new"));
    EXPECT_EQ(fileContent(shared), "new");
    EXPECT_EQ(permissions(shared), 0644u);

    // Through a link, the link is replaced by a file with its target's permissions.
    const std::string target = temp.writeFile("target", "t");
    chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, temp.file("link"));
    ASSERT_TRUE(replaceFile(temp.file("link"), "l"));
    EXPECT_FALSE(std::filesystem::is_symlink(temp.file("link")));
    EXPECT_EQ(permissions(temp.file("link")), 0640u);
    EXPECT_EQ(fileContent(target), "t");

    EXPECT_FALSE(replaceFile(temp.file("missing/file"), "x"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 4);
}

TEST(IsLink, OnlyTheLinkItselfWhereverItLeads)
{
    TempDir temp;
    const std::string file = temp.writeFile("file", "x");
    const std::string folder = temp.makeFolder("folder");
    std::filesystem::create_symlink(file, temp.file("file-link"));
    std::filesystem::create_directory_symlink(folder, temp.file("folder-link"));
    std::filesystem::create_symlink(temp.file("missing"), temp.file("dangling"));
    EXPECT_FALSE(isLink(file));
    EXPECT_FALSE(isLink(folder));
    EXPECT_FALSE(isLink(temp.file("missing")));
    EXPECT_TRUE(isLink(temp.file("file-link")));
    EXPECT_TRUE(isLink(temp.file("folder-link")));
    EXPECT_TRUE(isLink(temp.file("dangling")));
}

TEST(ReadFileHead, AFileOfTheLimitIsWholeOneByteMoreIsCutAcrossChunks)
{
    TempDir temp;
    // Sizes around the limit and around the reader's chunks, so a chunk boundary and the
    // limit meeting is covered both ways.
    for (const std::size_t limit : {std::size_t{1}, std::size_t{16384}, std::size_t{40000}}) {
        std::string text;
        for (std::size_t i = 0; i < limit; ++i) {
            text += static_cast<char>('a' + i % 26);
        }
        const std::optional<FileHead> whole = readFileHead(temp.writeFile("whole", text), limit);
        ASSERT_TRUE(whole);
        EXPECT_EQ(whole->text, text);
        EXPECT_FALSE(whole->cut);

        const std::optional<FileHead> cut = readFileHead(temp.writeFile("more", text + "z"), limit);
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->text, text);
        EXPECT_TRUE(cut->cut);

        const std::optional<FileHead> small = readFileHead(temp.writeFile("small", "x"), limit + 1);
        ASSERT_TRUE(small);
        EXPECT_EQ(small->text, "x");
        EXPECT_FALSE(small->cut);
    }
    EXPECT_FALSE(readFileHead(temp.file("missing"), 10));
}
