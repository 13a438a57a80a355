// The self-update against a loopback server of the test's own, through the real HTTP layer.

#include "service/UpdateDownload.h"

#include "tests/support/FakeHost.h"
#include "tests/support/QueuedGuiThread.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sodium.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Signs with the maker's demonstration key pair (seed 00 01 ... 1f), whose public key is
// the built-in default.
std::string sign(const std::string& body)
{
    unsigned char seed[crypto_sign_SEEDBYTES];
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    for (std::size_t i = 0; i < sizeof seed; ++i) {
        seed[i] = static_cast<unsigned char>(i);
    }
    crypto_sign_seed_keypair(publicKey, secretKey, seed);
    std::string signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(body.data()), body.size(), secretKey);
    return signature;
}

class UpdateFlow : public testing::Test
{
protected:
    UpdateDownload::Settings settings(const std::string& path, int maxSize = kMaxDownloadSize) const
    {
        return {m_server.url(path), file(),
                "03a107bff3ce10be1d70dd18e74bc09967e4d6309ba50d5f1ddc8664125531b8", maxSize};
    }
    // Runs one update from `path` (its signature at path + ".sig") to its end.
    void update(const std::string& path, platform::Desktop& desktop, int maxSize = kMaxDownloadSize)
    {
        m_errors = m_started = 0;
        UpdateDownload download(platform::systemHost().http, desktop, m_gui, settings(path, maxSize));
        download.OnError = [this] { ++m_errors; };
        download.OnStarted = [this] { ++m_started; };
        download.GetFile();
        EXPECT_TRUE(m_gui.handleUntil([this] { return m_errors + m_started > 0; }));
    }
    void offer(const std::string& body, const std::string& signature)
    {
        m_server.serve(kUpdatePath, body);
        m_server.serve(std::string(kUpdatePath) + ".sig", signature);
    }
    std::string file() const { return m_dir.file(kUpdateFileName); }

    TestHttpServer m_server;
    TempDir m_dir;
    QueuedGuiThread m_gui;
    FakeDesktop m_desktop;
    int m_errors = 0;
    int m_started = 0;
};

} // namespace

TEST_F(UpdateFlow, OnlyTheMakersSignatureOfThisVeryFileStartsIt)
{
    const std::string body("new\0version", 11);
    const std::string signature = sign(body);
    m_server.serve(kUpdatePath, body); // no signature: 404
    for (const auto& [served, sig] :
         std::vector<std::pair<std::string, std::string>>{{body, ""},
                                                          {body, signature.substr(0, 63)},
                                                          {body, signature + "x"},
                                                          {body, sign(body + " ")},
                                                          {body + " ", signature}}) {
        SCOPED_TRACE(sig.size());
        if (!sig.empty()) {
            offer(served, sig);
        }
        update(kUpdatePath, m_desktop);
        EXPECT_EQ(m_errors, 1);
        EXPECT_FALSE(fs::exists(file()));
        EXPECT_FALSE(fs::exists(file() + ".sig"));
    }
    EXPECT_TRUE(m_desktop.startedPrograms.empty());

    offer(body, signature);
    update(kUpdatePath, m_desktop);
    EXPECT_EQ(m_started, 1);
    EXPECT_EQ(m_desktop.startedPrograms, std::vector<std::string>{file()});
    EXPECT_EQ(fileContent(file()), body);
    EXPECT_TRUE(m_server.requests().back().starts_with("GET /download/nimbra.exe.sig HTTP/1.0\r\n"));
    // Verified, but the system could not start it: the program must not end.
    m_desktop.failStart = true;
    update(kUpdatePath, m_desktop);
    EXPECT_EQ(m_errors, 1);
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(UpdateFlow, AFailedOrRefusedDownloadLeavesNoFileAndFetchesNoSignature)
{
    // Broken off, without a length, an error page, announced beyond the default 256 MiB,
    // or beyond a limit of the test's own.
    const std::vector<std::pair<std::string, int>> downloads = {{"/broken/3000/2000", kMaxDownloadSize},
                                                                {"/nolength/100", kMaxDownloadSize},
                                                                {"/status/404/gone", kMaxDownloadSize},
                                                                {"/length/268435457/10", kMaxDownloadSize},
                                                                {"/bytes/3000", 2999}};
    for (const auto& [path, maxSize] : downloads) {
        SCOPED_TRACE(path);
        update(path, m_desktop, maxSize);
        EXPECT_EQ(m_errors, 1);
        EXPECT_FALSE(fs::exists(file()));
    }
    EXPECT_EQ(m_server.requests().size(), downloads.size());
    EXPECT_TRUE(m_desktop.startedPrograms.empty());
}

// Closed while the signature is on its way: the unverified file does not stay.
TEST_F(UpdateFlow, AnUpdateEndedBeforeItsSignatureCameLeavesNoFile)
{
    const std::string body = "new version";
    offer(body, sign(body));
    auto download = std::make_unique<UpdateDownload>(platform::systemHost().http, m_desktop, m_gui,
                                                     settings(kUpdatePath));
    download->GetFile();
    // One handed-over call at a time, so the signature's end cannot be handled with the
    // file's.
    while (!download->HTTPGetSignature.transferring()) {
        ASSERT_TRUE(m_gui.handleOne());
    }
    ASSERT_TRUE(fs::exists(file()));
    const int handledBefore = m_gui.handled();
    download.reset();
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_TRUE(m_gui.handleUntil([&] { return m_gui.handled() > handledBefore; }));
    EXPECT_FALSE(fs::exists(file() + ".sig"));
    EXPECT_TRUE(m_desktop.startedPrograms.empty());
}

// The real platform starts the verified script in a session of its own, with none of this
// program's descriptors, and returns while it still runs.
TEST_F(UpdateFlow, TheSystemStartsTheVerifiedProgramDetached)
{
    std::FILE* inherited = std::fopen(m_dir.file("inherited").c_str(), "w"); // no close-on-exec
    const std::string dir = m_dir.path();
    const std::string script =
        "#!/bin/sh\ni=0; while [ ! -e " + dir + "/go ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n" +
        "echo $$ $(cut -d' ' -f6 /proc/$$/stat) $(ls -l /proc/$$/fd | grep -c inherited) > " + dir +
        "/mark.part\nmv " + dir + "/mark.part " + dir + "/mark\n";
    offer(script, sign(script));
    update(kUpdatePath, platform::systemHost().desktop);
    std::fclose(inherited);
    ASSERT_EQ(m_started, 1);
    EXPECT_EQ(fs::status(file()).permissions(), fs::perms::owner_all);
    m_dir.writeFile("go", "");
    for (int i = 0; i < 400 && !fs::exists(m_dir.file("mark")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    std::istringstream mark(fileContent(m_dir.file("mark")));
    pid_t pid = 0;
    pid_t session = 0;
    int leaked = -1;
    ASSERT_TRUE(mark >> pid >> session >> leaked);
    EXPECT_EQ(session, pid);
    EXPECT_EQ(leaked, 0);
    waitpid(pid, nullptr, 0);
}
