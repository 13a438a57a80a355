// HTTP against a server of the test's own on loopback, through the real HTTP layer.

#include "service/HttpGet.h"
#include "service/HttpGetText.h"

#include "platform/Host.h"
#include "tests/support/QueuedGuiThread.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

platform::Http& http()
{
    return platform::systemHost().http;
}

std::string pattern(std::size_t count)
{
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes += TestHttpServer::patternByte(i);
    }
    return bytes;
}

// A download component with its events recorded.
struct Download
{
    explicit Download(QueuedGuiThread& gui) : get(http(), gui)
    {
        get.OnProgress = [this](THTTPGet&, int total, int readed) { progress.push_back({total, readed}); };
        get.OnDoneFile = [this](THTTPGet&, const std::string& file, int size) {
            done.push_back({file, size});
        };
        get.OnError = [this](THTTPGet&) { ++errors; };
    }
    int events() const { return static_cast<int>(done.size()) + errors; }

    THTTPGet get;
    std::vector<std::pair<int, int>> progress;
    std::vector<std::pair<std::string, int>> done;
    int errors = 0;
};

class HttpFetch : public testing::Test
{
protected:
    // Fetches `path` into a file with BinaryData (and a limit, when given); waits for its
    // one final event.
    Download& fetch(const std::string& path, int maxSize = kMaxDownloadSize, bool binaryData = true)
    {
        m_download = std::make_unique<Download>(m_gui);
        m_download->get.BinaryData = binaryData;
        m_download->get.MaxSize = maxSize;
        m_download->get.URL = m_server.url(path);
        m_download->get.FileName = file();
        m_download->get.GetFile();
        EXPECT_TRUE(m_gui.handleUntil([this] { return m_download->events() == 1; }));
        return *m_download;
    }
    std::string file() const { return m_dir.file("download.bin"); }

    TestHttpServer m_server;
    TempDir m_dir;
    QueuedGuiThread m_gui;
    std::unique_ptr<Download> m_download;
};

} // namespace

TEST_F(HttpFetch, TextOfAnyStatusCutAtAZeroByteAndBoundedInLength)
{
    std::string text;
    EXPECT_TRUE(HttpGetText(http(), m_server.url("/status/404/gone"), text));
    EXPECT_EQ(text, "gone");
    EXPECT_NE(m_server.requests().back().find(
                  "\r\nUser-Agent: Mozilla/4.0(compatible; MSIE 7.0;  Windows NT 6.0)\r\n"),
              std::string::npos);
    text = "kept:";
    EXPECT_TRUE(HttpGetText(http(), m_server.url("/zero"), text));
    EXPECT_EQ(text, "kept:before");
    text.clear();
    EXPECT_TRUE(HttpGetText(http(), m_server.url("/endless"), text));
    EXPECT_EQ(text.size(), kMaxTextBody);
    // No connection, or no answer that can be read: false, the text as it was.
    text = "kept";
    EXPECT_FALSE(
        HttpGetText(http(), "http://127.0.0.1:" + std::to_string(TestHttpServer::unusedPort()) + "/", text));
    EXPECT_FALSE(HttpGetText(http(), m_server.url("/bigheader"), text));
    EXPECT_EQ(text, "kept");
}

TEST_F(HttpFetch, ADownloadInBlocksOf1025WithItsProgressThenOneArrival)
{
    const Download& download = fetch("/bytes/3000");
    EXPECT_EQ(download.progress,
              (std::vector<std::pair<int, int>>{{3000, 1025}, {3000, 2050}, {3000, 3000}}));
    EXPECT_EQ(download.done, (std::vector<std::pair<std::string, int>>{{file(), 3000}}));
    EXPECT_EQ(fileContent(file()), pattern(3000));
    const std::string request = m_server.requests().back();
    for (const char* line : {"GET /bytes/3000 HTTP/1.0\r\n", "\r\nUser-Agent: Quillon HTTPGet\r\n",
                             "\r\nAccept: Accept: */*\r\n", "\r\nPragma: no-cache\r\n"}) {
        EXPECT_NE(request.find(line), std::string::npos) << line << " in " << request;
    }
}

TEST_F(HttpFetch, FailuresEndInOneErrorAndLeaveNoFile)
{
    // Broken off after 2000 of 3000 bytes, a binary download without a stated length, an
    // error page of any length: none is the file.
    for (const char* path : {"/broken/3000/2000", "/nolength/100", "/status/404/gone", "/status/503/busy",
                             "/length/abc/10", "/length/-5/10", "/length/99999999999/10", "/bigheader"}) {
        EXPECT_EQ(fetch(path).errors, 1) << path;
        EXPECT_FALSE(std::filesystem::exists(file())) << path;
    }
    EXPECT_EQ(fetch("/status/200/fine").done.size(), 1u);
    // Beyond its stated length a body is not read: what was announced arrived.
    EXPECT_EQ(fetch("/length/10/20").done.size(), 1u);
    EXPECT_EQ(fileContent(file()), pattern(10));
}

TEST_F(HttpFetch, ADownloadPastItsLimitIsRefusedBeforeItStartsOrBrokenOffAsItPassesIt)
{
    // Announced beyond the limit: no byte is taken. At the limit it arrives.
    EXPECT_EQ(fetch("/length/2147483647/10").errors, 1);
    EXPECT_EQ(fetch("/bytes/5001", 5000).errors, 1);
    EXPECT_TRUE(m_download->progress.empty());
    EXPECT_EQ(fetch("/bytes/5000", 5000).done.size(), 1u);
    // Without a length it goes on until the block that would pass the limit.
    const Download& endless = fetch("/endless", 5000, false);
    EXPECT_EQ(endless.errors, 1);
    EXPECT_EQ(endless.progress.back(), (std::pair<int, int>{0, 4 * 1025}));
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(HttpFetch, ALinkPlantedAtTheFileNameIsReplacedNotFollowed)
{
    const std::string victim = m_dir.writeFile("elsewhere/victim", "untouched");
    std::filesystem::create_symlink(victim, file());
    EXPECT_EQ(fetch("/bytes/100").done.size(), 1u);
    EXPECT_EQ(fileContent(victim), "untouched");
    EXPECT_FALSE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(fileContent(file()), pattern(100));
}

TEST_F(HttpFetch, OneTransferAtATimeAndWaitingForItsEnd)
{
    Download download(m_gui);
    download.get.URL = m_server.url("/bytes/5000");
    download.get.FileName = file();
    download.get.GetFile();
    download.get.GetFile();
    EXPECT_TRUE(m_gui.handleUntil([&] { return download.events() == 1; }));
    m_gui.handleUntil([&] { return download.events() > 1; },
                      std::chrono::seconds(1)); // a second would come now
    EXPECT_EQ(download.events(), 1);
    EXPECT_EQ(m_server.requests().size(), 1u);

    download.get.WaitThread = true;
    download.get.GetFile();
    EXPECT_EQ(download.done.size(), 2u); // the final event came before GetFile returned
}

TEST_F(HttpFetch, AbortEndsInAnErrorAndDestructionInSilenceBothLeavingNoFile)
{
    Download aborted(m_gui);
    aborted.get.URL = m_server.url("/slow/100");
    aborted.get.FileName = file();
    aborted.get.GetFile();
    EXPECT_TRUE(m_gui.handleUntil([&] { return aborted.progress.size() >= 2; }));
    aborted.get.Abort();
    EXPECT_TRUE(m_gui.handleUntil([&] { return aborted.events() == 1; }));
    EXPECT_EQ(aborted.errors, 1);
    EXPECT_FALSE(std::filesystem::exists(file()));

    // The whole body is in and judged, its end waits to be handled: the abort still wins.
    Download late(m_gui);
    late.get.OnProgress = nullptr; // its end is the one call handed over
    late.get.URL = m_server.url("/bytes/100");
    late.get.FileName = file();
    late.get.GetFile();
    ASSERT_TRUE(m_gui.waitQueued());
    late.get.Abort();
    m_gui.handlePending();
    EXPECT_EQ(late.errors, 1);
    EXPECT_TRUE(late.done.empty());
    EXPECT_FALSE(std::filesystem::exists(file()));

    auto destroyed = std::make_unique<Download>(m_gui);
    destroyed->get.URL = m_server.url("/slow/100");
    destroyed->get.FileName = m_dir.file("second.bin");
    destroyed->get.GetFile();
    EXPECT_TRUE(m_gui.handleUntil([&] { return !destroyed->progress.empty(); }));
    destroyed.reset();
    // The worker hands its end over all the same, which removes its file, and nothing
    // reaches the component.
    EXPECT_TRUE(m_gui.handleUntil([&] { return !std::filesystem::exists(m_dir.file("second.bin")); }));
}

TEST_F(HttpFetch, ATransferSilentForItsLimitIsGivenUpOnAndOneThatKeepsSendingIsNot)
{
    http().setSilenceLimit(std::chrono::milliseconds(400));
    std::string text;
    EXPECT_FALSE(HttpGetText(http(), m_server.url("/silent"), text));
    EXPECT_EQ(fetch("/silent").errors, 1);
    // Silent after the first bytes: the wait counts from the last byte.
    const Download& stalled = fetch("/stalled/3000/2000");
    EXPECT_EQ(stalled.errors, 1);
    EXPECT_FALSE(stalled.progress.empty());
    // A block every 100 ms for a second: longer than the limit in all, never silent for it.
    EXPECT_EQ(fetch("/slow/10").done.size(), 1u);
    EXPECT_EQ(fileContent(file()), pattern(10 * 1025));
    http().setSilenceLimit(platform::kHttpSilenceLimit);
}

TEST(HttpUrl, SplitIntoHostAndPathAndThePortHonoured)
{
    const SplitUrl url = SplitURL("HTTP://Example.COM/a/b.exe");
    EXPECT_EQ(url.host, "Example.COM");
    EXPECT_EQ(url.path, "/a/b.exe");
    const SplitUrl bare = SplitURL("http://hostonly");
    EXPECT_EQ(bare.host, "");
    EXPECT_EQ(bare.path, "hostonly");
    EXPECT_EQ(hostAndPort("127.0.0.1:8369"), (std::pair<std::string, int>{"127.0.0.1", 8369}));
    EXPECT_EQ(hostAndPort("example.com"), (std::pair<std::string, int>{"example.com", 80}));
    EXPECT_EQ(hostAndPort("odd:port"), (std::pair<std::string, int>{"odd:port", 80}));
}

TEST_F(HttpFetch, TheDesktopsProxyIsUsed)
{
    // A SOCKS proxy where nothing listens: the fetch cannot get through, then goes direct
    // once the desktop says so.
    const std::string port = std::to_string(TestHttpServer::unusedPort());
    const auto gsettings = [](const std::string& arguments) {
        return std::system(("gsettings set org.gnome.system.proxy" + arguments).c_str());
    };
    ASSERT_EQ(gsettings(".socks host '127.0.0.1'"), 0);
    ASSERT_EQ(gsettings(".socks port " + port), 0);
    ASSERT_EQ(gsettings(" ignore-hosts \"[]\""), 0);
    ASSERT_EQ(gsettings(" mode 'manual'"), 0);
    std::string text;
    EXPECT_FALSE(HttpGetText(http(), m_server.url("/status/200/through"), text));
    // Named as the program's own proxy (a Warden that is gone, its port as the settings
    // may write it), it is never used.
    http().setOwnProxy("127.0.0.1:0" + port);
    EXPECT_TRUE(HttpGetText(http(), m_server.url("/status/200/around"), text));
    EXPECT_EQ(text, "around");
    text.clear();
    http().setOwnProxy("");
    ASSERT_EQ(gsettings(" mode 'none'"), 0);
    EXPECT_TRUE(HttpGetText(http(), m_server.url("/status/200/direct"), text));
    EXPECT_EQ(text, "direct");
}

// The desktop's proxy settings in the test's own folder (GLib's keyfile backend, a GNOME
// session for the proxy library), set before anything reads them.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    setenv("DESKTOP_SESSION", "gnome", 1);
    unsetenv("http_proxy");
    unsetenv("all_proxy");
    return RUN_ALL_TESTS();
}
