#include "core/BypassSettings.h"
#include "core/MemoLines.h"
#include "core/SettingsStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

// Named pipes in a folder and forked children are POSIX only.
#ifndef _WIN32
#include "tests/support/BoundedChild.h"
#include <sys/stat.h>
#endif

namespace {

struct SettingsFile : ::testing::Test
{
    TempDir dir;
    std::string path = dir.path() + "/dirudo.ini";
    SettingsStore store{path};

    void write(const std::string& content) { dir.writeFile("dirudo.ini", content); }
};

} // namespace

TEST_F(SettingsFile, MissingFileAndKeysGiveDefaultsAndCreateNothing)
{
    EXPECT_EQ(store.snapshot().readString("Config", "Skin", "/app/default.skn"), "/app/default.skn");
    EXPECT_EQ(store.snapshot().readString("Config", "InternalPort", "7070"), "7070");
    EXPECT_TRUE(bypass::read(store.snapshot()).empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SettingsFile, KeysMatchWithoutRegardToCaseOrSpacing)
{
    write("; a comment the user wrote\n[config]\n  internalport   =  8080  \nSKIN=/x.skn\n");
    const SettingsStore::Snapshot file = store.snapshot();
    EXPECT_EQ(file.readString("Config", "InternalPort", "7070"), "8080");
    EXPECT_EQ(file.readString("Config", "Skin", ""), "/x.skn");
}

TEST_F(SettingsFile, WritesKeepOtherLinesAndReachTheFileAtOnce)
{
    write("; keep me\n[Config]\nInternalPort=9000\n[Other]\nx=1\n");
    bypass::write(store, {"a.example", "b.example"});
    const std::string content = fileContent(path);
    EXPECT_NE(content.find("; keep me"), std::string::npos);
    EXPECT_NE(content.find("InternalPort=9000"), std::string::npos);
    EXPECT_NE(content.find("x=1"), std::string::npos);
    EXPECT_NE(content.find("Counter=2\n1=a.example\n2=b.example"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    // Not cached: an edit by hand is seen by the next read.
    write("[Bypass]\nCounter=1\n1=edited\n");
    EXPECT_EQ(bypass::read(store.snapshot()), std::vector<std::string>{"edited"});
}

TEST_F(SettingsFile, BypassRoundTripAndShorterListKeepsOlderKeys)
{
    bypass::write(store, {"one", "", "three"});
    EXPECT_EQ(bypass::read(store.snapshot()), (std::vector<std::string>{"one", "", "three"}));
    bypass::write(store, {});
    EXPECT_TRUE(bypass::read(store.snapshot()).empty());
    const std::string content = fileContent(path);
    EXPECT_NE(content.find("Counter=0"), std::string::npos);
    EXPECT_NE(content.find("3=three"), std::string::npos);
}

TEST_F(SettingsFile, GapsInTheNumberedKeysGiveEmptyLines)
{
    write("[Bypass]\nCounter=3\n1=first\n3=third\n");
    EXPECT_EQ(bypass::read(store.snapshot()), (std::vector<std::string>{"first", "", "third"}));
}

TEST_F(SettingsFile, DamagedCountersGiveNoLinesOrACappedList)
{
    for (const char* counter : {"-5", "abc", "", "99999999999", "1.5", "0"}) {
        write(std::string("[Bypass]\nCounter=") + counter + "\n1=x\n");
        EXPECT_TRUE(bypass::read(store.snapshot()).empty()) << counter;
    }
    write("[Bypass]\nCounter=2000000000\n1=x\n");
    const std::vector<std::string> lines = bypass::read(store.snapshot());
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(bypass::kMaxLines));
    EXPECT_EQ(lines.front(), "x");
    EXPECT_EQ(lines.back(), "");
}

TEST_F(SettingsFile, BinaryJunkReadsAsDefaults)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk += static_cast<char>((i * 7919) & 0xff);
    }
    write(junk);
    EXPECT_EQ(store.snapshot().readString("Config", "InternalPort", "7070"), "7070");
    EXPECT_LE(bypass::read(store.snapshot()).size(), static_cast<std::size_t>(bypass::kMaxLines));
    bypass::write(store, {"after"});
    EXPECT_EQ(bypass::read(store.snapshot()), std::vector<std::string>{"after"});
}

TEST_F(SettingsFile, UnwritableFileThrowsAndLeavesNothingBehind)
{
    std::filesystem::create_directory(path); // even for root, no file can replace it
    EXPECT_THROW(bypass::write(store, {"new"}), std::runtime_error);
    EXPECT_TRUE(bypass::read(store.snapshot()).empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

#ifndef _WIN32
TEST_F(SettingsFile, APipeOrADeviceReadsAsNoFile)
{
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    for (const std::string& file : {path, std::string("/dev/zero")}) {
        const auto defaults = runBounded(
            [&] {
                return SettingsStore(file).snapshot().readString("Config", "InternalPort", "7070") == "7070"
                           ? 0
                           : 1;
            },
            256 << 20, std::chrono::seconds(10));
        EXPECT_EQ(defaults, 0) << file;
    }
    // Read as no file, but never replaced by one made from nothing.
    EXPECT_THROW(store.writeString("Config", "Skin", "x"), std::runtime_error);
    EXPECT_EQ(std::filesystem::status(path).type(), std::filesystem::file_type::fifo);
}
#endif

TEST_F(SettingsFile, ValuesReadAsThePrivateProfileFunctionsReadThem)
{
    write("[Config]\nInternalPort=\"8080\"\nSkin='/my skin.skn'\nskin=/second.skn\n"
          "[Quotes]\nhalf=\"open\nmixed=\"x'\nbare=\"\"\n[config]\nInternalPort=1\n");
    // One pair of matching quotes goes; of two equal keys, and of two equal sections,
    // the first counts.
    const SettingsStore::Snapshot file = store.snapshot();
    EXPECT_EQ(file.readString("Config", "InternalPort", ""), "8080");
    EXPECT_EQ(file.readString("Config", "Skin", ""), "/my skin.skn");
    EXPECT_EQ(file.readString("Quotes", "half", ""), "\"open");
    EXPECT_EQ(file.readString("Quotes", "mixed", ""), "\"x'");
    EXPECT_EQ(file.readString("Quotes", "bare", "unset"), "");
}

TEST_F(SettingsFile, ASaveChangesOneLineAndKeepsEveryOther)
{
    const std::string before = "; comment\r\n[Config]\r\nInternalPort = 9000\r\na line without equals\r\n"
                               "\r\n[Bypass]\r\n  COUNTER = 7\r\n1=x\r\n1=second\r\n\r\n[Other]\r\nx=1";
    write(before);
    bypass::write(store, {"a.example", "b.example"});
    // The first Counter is replaced in place; new keys follow the section's last line;
    // the file's own line breaks are kept, and its last line gets one before new lines.
    EXPECT_EQ(fileContent(path), "; comment\r\n[Config]\r\nInternalPort = 9000\r\na line without equals\r\n"
                                 "\r\n[Bypass]\r\nCounter=2\r\n1=a.example\r\n1=second\r\n2=b.example\r\n\r\n"
                                 "[Other]\r\nx=1");
    store.writeString("New", "Key", "v\n[Config]\nSkin=/dev/zero");
    EXPECT_EQ(fileContent(path).substr(fileContent(path).size() - 19), "x=1\r\n[New]\r\nKey=v\r\n");
    EXPECT_EQ(store.snapshot().readString("Config", "Skin", "default"), "default");
}

TEST_F(SettingsFile, EachOperationReadsTheFileOnce)
{
    int reads = 0;
    SettingsStore counted(path, [&reads](const std::string& file, std::size_t limit) {
        ++reads;
        return platform::readFileHead(file, limit);
    });
    write("[Config]\nSkin=/x.skn\nInternalPort=8080\n[Bypass]\nCounter=3\n1=a\n2=b\n3=c\n");
    // Every value the start-up needs, from one read.
    const SettingsStore::Snapshot startUp = counted.snapshot();
    EXPECT_EQ(startUp.readString("Config", "Skin", ""), "/x.skn");
    EXPECT_EQ(startUp.readString("Config", "InternalPort", ""), "8080");
    EXPECT_EQ(bypass::read(startUp), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(reads, 1);
    // Saving the options: one read for Counter and every line.
    bypass::write(counted, {"d", "e"});
    EXPECT_EQ(reads, 2);
    // A snapshot stays the file as it was read; the next operation sees the file as it is.
    EXPECT_EQ(bypass::read(startUp), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(bypass::read(counted.snapshot()), (std::vector<std::string>{"d", "e"}));
    EXPECT_EQ(reads, 3);
}

// A settings file whose line `tail` ends at byte `size`: comment lines and empty ones
// fill it up to there.
std::string settingsEndingAt(std::size_t size, const std::string& tail)
{
    std::string text = "[Config]\r\nInternalPort=8080\r\n";
    const std::string comment = "; " + std::string(60, 'x') + "\r\n";
    while (text.size() + comment.size() + tail.size() <= size) {
        text += comment;
    }
    text.resize(size - tail.size(), '\n');
    return text + tail;
}

// A giant file is read as its first MiB would be, and a save never drops the rest of it.
TEST_F(SettingsFile, AFileLargerThanOneMiBIsReadAsItsFirstMiBAndNeverWritten)
{
    const std::size_t mib = SettingsStore::kMaxFileSize;
    // Of the Skin line, only "Ski" lies within the first MiB.
    const std::string giant =
        settingsEndingAt(mib + 13, "Skin=/late.skn\r\n") + "[Bypass]\r\nCounter=1\r\n1=x\r\n";
    write(giant);
    const SettingsStore::Snapshot file = store.snapshot();
    EXPECT_EQ(file.readString("Config", "InternalPort", ""), "8080");
    EXPECT_EQ(file.readString("Config", "Skin", "default"), "default");
    EXPECT_TRUE(bypass::read(file).empty());

    EXPECT_THROW(bypass::write(store, {"new.example"}), std::runtime_error);
    EXPECT_THROW(store.writeString("Config", "InternalPort", "9090"), std::runtime_error);
    EXPECT_TRUE(fileContent(path) == giant); // compared whole: a diff of a MiB takes minutes to print
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A file of exactly 1 MiB is whole: read to its end and written as any other.
    write(settingsEndingAt(mib, "Skin=/late.skn\r\n"));
    EXPECT_EQ(store.snapshot().readString("Config", "Skin", "default"), "/late.skn");
    store.writeString("Config", "InternalPort", "9090");
    EXPECT_EQ(store.snapshot().readString("Config", "InternalPort", ""), "9090");
}

TEST(SettingsInteger, ReadsDecimalAndHexAndRejectsTheRest)
{
    EXPECT_EQ(parseSettingsInteger("3", 0), 3);
    EXPECT_EQ(parseSettingsInteger("-5", 0), -5);
    EXPECT_EQ(parseSettingsInteger("+7", 0), 7);
    EXPECT_EQ(parseSettingsInteger("0x1F", 0), 31);
    EXPECT_EQ(parseSettingsInteger("$10", 0), 16);
    EXPECT_EQ(parseSettingsInteger("2147483647", 0), 2147483647);
    EXPECT_EQ(parseSettingsInteger("-2147483648", 0), -2147483647 - 1);
    for (const char* bad : {"", "abc", "2147483648", "12a", "0x", "-", "1 2"}) {
        EXPECT_EQ(parseSettingsInteger(bad, 42), 42) << bad;
    }
}

TEST(MemoLines, LoadingNLinesAndSavingGivesNLinesBack)
{
    EXPECT_TRUE(memoLines("").empty());
    EXPECT_EQ(memoLines("a\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(memoLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(memoLines("\n"), std::vector<std::string>{""});
    for (const std::vector<std::string>& lines :
         {std::vector<std::string>{}, {""}, {"", ""}, {"a", "", "c"}, {"a", ""}}) {
        EXPECT_EQ(memoLines(memoText(lines)), lines);
    }
}
