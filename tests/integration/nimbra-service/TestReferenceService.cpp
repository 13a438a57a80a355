// The reference service as a process: started on a free port of 127.0.0.1 with a
// configuration of the test's own, asked over real HTTP, flooded, held by slow clients,
// restarted on its port, and stopped by signal; and its release commands.

#include "service/Cipher.h"
#include "service/ServiceHandshake.h"
#include "tests/integration/warden/support/ChildProcess.h"
#include "tests/integration/warden/support/RawClient.h"
#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"
#include "tools/nimbra-service/Signing.h"

#include <httplib.h>
#include <sodium.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <numeric>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using nimbra_service::publicKeyOf;
using nimbra_service::SigningSeed;
using nimbra_service::toHex;
using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::steady_clock;
using warden::testing::ChildProcess;
using warden::testing::RawClient;

namespace {

const std::string kConfig = "exit = 127.0.0.9 1\nexit = exit.example 2\nport = 1999\nuser = tester\n"
                            "key = s3cret\ncipher = q\nnewest-version = 1.40\n";
// The start of a request whose header a slow client then sends a byte at a time.
const std::string kSlowStart = "GET /ip HTTP/1.1\r\nX-Slow: ";

std::string handshake(const std::string& id, const std::string& version)
{
    return "/update1.php?id=" + id + "&productid=1&sn=&version=" + version + "&language=1033&i=1ABCDEF12";
}

std::string servicePath()
{
    const char* dir = std::getenv("NIMBRA_APP_DIR");
    return std::string(dir ? dir : ".") + "/nimbra-service";
}

// A field of /proc/PID/status in kB ("VmRSS", "VmHWM"); 0 when it cannot be read.
long statusKb(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":")) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return 0;
}

// A TCP socket bound to the loopback address `source`, connecting to the service at
// 127.0.0.1:`port` (in the background when `flags` has SOCK_NONBLOCK); -1 when that failed.
int connectFrom(const std::string& source, int port, int flags = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, source.c_str(), &address.sin_addr);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the peer ended `fd` (closed or reset) by now; bytes it sent are added to `got`.
bool endedByPeer(int fd, std::string* got = nullptr)
{
    pollfd ready{fd, POLLIN, 0};
    char chunk[4096];
    ssize_t n = 1;
    while (::poll(&ready, 1, 0) > 0 && (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0) {
        if (got) {
            got->append(chunk, static_cast<std::size_t>(n));
        }
    }
    return n <= 0;
}

// Whether a connection of the local `port` is in TIME_WAIT, waiting up to five seconds.
bool timeWaitOn(int port)
{
    char local[8];
    std::snprintf(local, sizeof local, ":%04X", port);
    const auto until = steady_clock::now() + seconds(5);
    while (steady_clock::now() < until) {
        std::ifstream table("/proc/net/tcp");
        std::string line;
        std::getline(table, line); // the heading
        while (std::getline(table, line)) {
            std::istringstream fields(line);
            std::string slot, localAddress, remoteAddress, state;
            fields >> slot >> localAddress >> remoteAddress >> state;
            if (localAddress.ends_with(local) && state == "06") {
                return true;
            }
        }
        std::this_thread::sleep_for(milliseconds(50));
    }
    return false;
}

// Sockets the test opened, closed however it ends.
struct Sockets
{
    ~Sockets()
    {
        for (const int fd : fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    std::vector<int> fds;
};

// One connection of a flood: asking for /ip, then reading the answer to its end.
struct Asker
{
    std::string source;
    int fd = -1;
    bool asked = false;
    bool done = false;
    std::string answer;
};

// Opens `count` connections at once, each asking for /ip, and reads every answer, meanwhile
// counting the service's log lines of them: read, so the service never blocks on a full
// pipe. They come from 127.0.0.2 on, `perSource` from each address. The number of answers
// that are the asker's address.
int flood(int port, int count, int perSource, ChildProcess& service, int& logged)
{
    std::vector<Asker> open(count);
    for (int i = 0; i < count; ++i) {
        open[i].source = "127.0." + std::to_string((2 + i / perSource) / 256) + "." +
                         std::to_string((2 + i / perSource) % 256);
        open[i].fd = connectFrom(open[i].source, port, SOCK_NONBLOCK);
    }
    const std::string request = "GET /ip HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    int answered = 0;
    const auto deadline = std::chrono::steady_clock::now() + seconds(30);
    while ((!open.empty() || logged < count) && std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> ready;
        for (const Asker& asker : open) {
            ready.push_back({asker.fd, static_cast<short>(asker.asked ? POLLIN : POLLOUT), 0});
        }
        ::poll(ready.data(), ready.size(), 100);
        for (std::size_t i = 0; i < ready.size(); ++i) {
            Asker& asker = open[i];
            if (ready[i].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t got = asker.asked ? ::recv(asker.fd, chunk, sizeof chunk, 0)
                                            : ::send(asker.fd, request.data(), request.size(), MSG_NOSIGNAL);
            if (got > 0 && asker.asked) {
                asker.answer.append(chunk, static_cast<std::size_t>(got));
            }
            asker.done = got <= 0 || (!asker.asked && got != static_cast<ssize_t>(request.size()));
            asker.asked = true;
        }
        std::erase_if(open, [&answered](const Asker& asker) {
            if (asker.done) {
                answered += asker.answer.starts_with("HTTP/1.1 200 OK\r\n") &&
                            asker.answer.ends_with("\r\n" + asker.source);
                ::close(asker.fd);
            }
            return asker.done;
        });
        while (const auto line = service.readLine(std::chrono::milliseconds(0))) {
            logged += line->starts_with("nimbra-service: GET /ip 200 127.0.");
        }
    }
    for (const Asker& asker : open) {
        ::close(asker.fd);
    }
    return answered;
}

// Whether `signature` is the Ed25519 signature of all of `bytes` by the key pair of `seed`,
// the key pair made by libsodium itself.
bool signedBy(const std::string& signature, const std::string& bytes, const SigningSeed& seed)
{
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secretKey, seed.data());
    return signature.size() == crypto_sign_BYTES &&
           crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                       publicKey) == 0;
}

class ReferenceService : public testing::Test
{
protected:
    // Starts the service with `config` and more `options` on `port` (0: any free one) and
    // takes the port it reports.
    void start(const std::string& config = kConfig, int port = 0,
               const std::vector<std::string>& options = {})
    {
        std::vector<std::string> argv{servicePath(), "--listen", "127.0.0.1:" + std::to_string(port),
                                      "--config", m_dir.writeFile("service.conf", config)};
        argv.insert(argv.end(), options.begin(), options.end());
        m_service = std::make_unique<ChildProcess>(argv);
        const auto line = m_service->readLine(seconds(10));
        ASSERT_TRUE(line && line->find("listening on http://127.0.0.1:") != std::string::npos)
            << line.value_or("(nothing)");
        m_port = std::stoi(line->substr(line->find("127.0.0.1:") + 10));
        m_client = std::make_unique<httplib::Client>("127.0.0.1", m_port);
        m_client->set_read_timeout(10);
    }
    std::string get(const std::string& target, int status = 200)
    {
        const auto result = m_client->Get(target.c_str());
        EXPECT_EQ(result ? result->status : 0, status) << target;
        return result ? result->body : "";
    }

    TempDir m_dir;
    std::unique_ptr<ChildProcess> m_service;
    std::unique_ptr<httplib::Client> m_client;
    int m_port = 0;
};

} // namespace

TEST_F(ReferenceService, AnswersTheHandshakeTheIpCheckAndThePagesThenStopsOnSigterm)
{
    start();
    const std::string id(24, '7');
    const auto secret = [](const std::string& value) { return DecodeValue(value, "q"); };
    EXPECT_EQ(get(handshake(id, "1.3369")),
              "B=1\r\nServiceNotAvailable=0\r\nNewVersion=1\r\nC=2\r\nP=" + secret("1999") + "\r\nU=" +
                  secret("tester") + "\r\nK=" + secret("s3cret") + "\r\nH1=" + secret("127.0.0.9") +
                  "\r\nL1=1\r\nH2=" + secret("exit.example") + "\r\nL2=2\r\nE=1\r\n");
    EXPECT_EQ(get(handshake(id, "1.4069")).find("NewVersion"), std::string::npos);
    EXPECT_EQ(get(handshake("1", "1.3369")), "Error=bad request: id\r\n");

    EXPECT_EQ(get("/ip"), "127.0.0.1");
    for (const char* page : {"/", "/setup-firewall.htm", "/contact.php"}) {
        EXPECT_NE(get(page).find("</html>"), std::string::npos) << page;
    }
    get("/setup-firewall.htm.old", 404);
    get("/download/nimbra.exe", 404); // no update configured
    get("/download/nimbra.exe.sig", 404);
    EXPECT_TRUE(
        m_service->waitForLine("nimbra-service: GET /setup-firewall.htm.old 404 127.0.0.1", seconds(10)));

    ::kill(m_service->pid(), SIGTERM);
    EXPECT_EQ(m_service->waitExit(seconds(10)), 0);
}

TEST_F(ReferenceService, TheProgramsHandshakeTakesItsExitsFromIt)
{
    start();
    FakeHost fake;
    const platform::Host host{
        fake.clock,       fake.folders, fake.desktop,   fake.autostart, fake.systemInfo,
        fake.systemProxy, fake.windows, fake.processes, fake.adapters,  platform::systemHost().http,
        fake.chromium};
    FakeView view;
    ActivityLog log(fake.clock, m_dir.file("report.txt"));
    ExitServers servers;
    WardenControl warden(host, view, log, servers,
                         {m_dir.path() + "/", "7070", m_dir.path() + "/restore.json"});
    ServiceHandshake handshake(
        host, view, log, servers, warden,
        {{"http://127.0.0.1:" + std::to_string(m_port)}, m_dir.writeFile("nimbra", "x"), "1.33", "q"});
    handshake.SilentUpdate();

    EXPECT_EQ(view.updates, 1); // the service's newest is 1.40
    EXPECT_EQ(view.ipSelections, std::vector<bool>{true});
    ASSERT_EQ(servers.ServerCount, 2);
    EXPECT_EQ(servers.ServerList[0].Host, "127.0.0.9");
    EXPECT_EQ(servers.ServerList[0].Country, "United States");
    EXPECT_EQ(servers.ServerList[1].Host, "exit.example");
    EXPECT_EQ(servers.ServerList[1].Country, "United Kingdom");
    EXPECT_EQ(servers.ExitPort, "1999");
    EXPECT_EQ(servers.ExitUser, "tester");
    EXPECT_EQ(servers.ExitKey, "s3cret");
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ReferenceService, ServesTheUpdateSignedWithItsKeyAndSignsReleases)
{
    ASSERT_GE(sodium_init(), 0);
    SigningSeed seed{};
    std::iota(seed.begin(), seed.end(), 0xA0);
    // Many socket buffers long, with every byte value in it.
    std::string update(300'000, '\0');
    for (std::size_t i = 0; i < update.size(); ++i) {
        update[i] = static_cast<char>(i * 31 % 256);
    }
    m_dir.writeFile("nimbra-update.bin", update);
    start(kConfig + "update-file = nimbra-update.bin\nupdate-signing-key = " + toHex(seed) + "\n");

    const auto download = m_client->Get("/download/nimbra.exe");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->status, 200);
    EXPECT_EQ(download->get_header_value("Content-Length"), std::to_string(update.size()));
    EXPECT_EQ(download->get_header_value("Content-Type"), "application/octet-stream");
    EXPECT_TRUE(download->body == update);
    EXPECT_TRUE(signedBy(get("/download/nimbra.exe.sig"), update, seed));

    const std::string release = m_dir.writeFile("release/nimbra.exe", "MZ a release");
    ChildProcess signing({servicePath(), "--sign", release, "--config", m_dir.file("service.conf")});
    EXPECT_EQ(signing.readLine(seconds(10)), "signature: " + release + ".sig");
    EXPECT_EQ(signing.readLine(seconds(10)), "public key: " + toHex(publicKeyOf(seed)));
    EXPECT_EQ(signing.waitExit(seconds(10)), 0);
    EXPECT_TRUE(signedBy(fileContent(release + ".sig"), "MZ a release", seed));
}

TEST_F(ReferenceService, ABadConfigurationOrCommandLineEndsWithStatus2AndSaysWhy)
{
    const std::string file = m_dir.writeFile("bad.conf", "port = 1080\n# note\ncolour = blue\n");
    ChildProcess badConfig({servicePath(), "--listen", "127.0.0.1:0", "--config", file});
    EXPECT_EQ(badConfig.readLine(seconds(10)), "nimbra-service: " + file + ":3: unknown name 'colour'");
    EXPECT_EQ(badConfig.waitExit(seconds(10)), 2);

    const std::string noUpdate = m_dir.writeFile("no-update.conf", kConfig + "update-file = gone.bin\n");
    ChildProcess missingUpdate({servicePath(), "--listen", "127.0.0.1:0", "--config", noUpdate});
    EXPECT_EQ(missingUpdate.readLine(seconds(10)), "nimbra-service: " + noUpdate + ": update-file " +
                                                       m_dir.file("gone.bin") +
                                                       ": cannot be read: No such file or directory");
    EXPECT_EQ(missingUpdate.waitExit(seconds(10)), 2);
    ChildProcess signMissing({servicePath(), "--sign", m_dir.file("gone.bin")});
    EXPECT_EQ(signMissing.waitExit(seconds(10)), 2);

    ChildProcess badListen({servicePath(), "--listen", "127.0.0.1"});
    EXPECT_TRUE(badListen.waitForLine("nimbra-service: --listen needs ADDRESS:PORT", seconds(10)));
    EXPECT_EQ(badListen.waitExit(seconds(10)), 2);
    ChildProcess noDeadline({servicePath(), "--request-deadline", "0"}); // would drop every request
    EXPECT_TRUE(
        noDeadline.waitForLine("nimbra-service: --request-deadline needs milliseconds 1..", seconds(10)));
    EXPECT_EQ(noDeadline.waitExit(seconds(10)), 2);
}

TEST_F(ReferenceService, AOneMegabyteQueryIsRefusedAndTheServiceGoesOn)
{
    start();
    EXPECT_EQ(get(handshake(std::string(1024 * 1024, '1'), "1.3369"), 414).find("B=1"), std::string::npos);
    EXPECT_EQ(get("/ip"), "127.0.0.1");
}

TEST_F(ReferenceService, AThousandConnectionsAtOnceAreAllAnsweredInBoundedMemory)
{
    constexpr int kConnections = 1000;
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::max<rlim_t>(files.rlim_cur, std::min<rlim_t>(files.rlim_max, 4096));
    if (::setrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur < kConnections + 64) {
        GTEST_SKIP() << "too few descriptors allowed: " << files.rlim_cur;
    }
    start();
    const long startKb = statusKb(m_service->pid(), "VmRSS");
    int logged = 0;
    // Four from each address, as many as one address may hold.
    EXPECT_EQ(flood(m_port, kConnections, 4, *m_service, logged), kConnections);
    EXPECT_EQ(logged, kConnections);
    const long peakKb = statusKb(m_service->pid(), "VmHWM");
    std::cout << "flood of " << kConnections << " connections: resident " << startKb
              << " kB at the start, peak " << peakKb << " kB\n";
    // A queued connection costs a socket and a few hundred bytes; growing by many
    // megabytes would mean a buffer per connection or a leak.
    EXPECT_LT(peakKb - startKb, 64 * 1024);

    ::kill(m_service->pid(), SIGINT);
    EXPECT_EQ(m_service->waitExit(seconds(10)), 0);
}

TEST_F(ReferenceService, SlowClientsHoldFourConnectionsPerAddressAndOrdinaryRequestsAreAnsweredMeanwhile)
{
    start(); // the default deadline of 10 s: the slow clients hold on for all of the test
    const std::vector<std::string> sources{"127.0.0.2", "127.0.0.3", "127.0.0.4"};
    constexpr int kSlow = 200;
    Sockets slow;
    for (int i = 0; i < kSlow; ++i) {
        slow.fds.push_back(connectFrom(sources[i % sources.size()], m_port));
        ASSERT_GE(slow.fds.back(), 0);
        ::send(slow.fds.back(), kSlowStart.data(), kSlowStart.size(), MSG_NOSIGNAL);
    }
    // Each open connection sends one more byte of its header every 100 ms, until the
    // service has closed all it does not hold.
    const auto openFrom = [&slow, &sources](std::size_t source) {
        int open = 0;
        for (std::size_t i = source; i < slow.fds.size(); i += sources.size()) {
            open += slow.fds[i] >= 0;
        }
        return open;
    };
    const auto trickle = [&slow] {
        for (int& fd : slow.fds) {
            if (fd >= 0 && (endedByPeer(fd) || ::send(fd, "a", 1, MSG_NOSIGNAL) != 1)) {
                ::close(fd);
                fd = -1;
            }
        }
    };
    const auto until = steady_clock::now() + seconds(5);
    while (openFrom(0) + openFrom(1) + openFrom(2) > 12 && steady_clock::now() < until) {
        std::this_thread::sleep_for(milliseconds(100));
        trickle();
    }
    for (std::size_t source = 0; source < sources.size(); ++source) {
        EXPECT_EQ(openFrom(source), 4) << sources[source];
    }

    // 12 of the 16 workers wait for those; a request from another address is answered.
    httplib::Client client("127.0.0.1", m_port);
    client.set_connection_timeout(1);
    client.set_read_timeout(1);
    const auto asked = client.Get("/ip");
    EXPECT_TRUE(asked && asked->status == 200 && asked->body == "127.0.0.1");
    trickle();
    EXPECT_EQ(openFrom(0) + openFrom(1) + openFrom(2), 12); // held, still unanswered

    // Stopping does not wait out the slow clients' deadline.
    ::kill(m_service->pid(), SIGTERM);
    EXPECT_EQ(m_service->waitExit(seconds(5)), 0);
}

TEST_F(ReferenceService, ARequestStillTricklingInAtItsDeadlineIsDropped)
{
    start(kConfig, 0, {"--request-deadline", "300"});
    Sockets slow{{connectFrom("127.0.0.1", m_port)}};
    ASSERT_GE(slow.fds[0], 0);
    ::send(slow.fds[0], kSlowStart.data(), kSlowStart.size(), MSG_NOSIGNAL);
    // A byte every 20 ms: no single read waits long, only the whole request is late.
    std::string answer;
    bool ended = false;
    for (const auto until = steady_clock::now() + seconds(5); !ended && steady_clock::now() < until;) {
        std::this_thread::sleep_for(milliseconds(20));
        ended = endedByPeer(slow.fds[0], &answer) || ::send(slow.fds[0], "a", 1, MSG_NOSIGNAL) != 1;
    }
    EXPECT_TRUE(ended);
    EXPECT_FALSE(answer.starts_with("HTTP/1.1 200")) << answer;
    EXPECT_TRUE(m_service->waitForLine(
        "nimbra-service: dropped a request from 127.0.0.1: not whole within 300 ms", seconds(5)));
    EXPECT_EQ(get("/ip"), "127.0.0.1"); // a request that comes at once is answered
}

TEST_F(ReferenceService, ASecondInstanceOnItsAddressIsRefusedAndARestartTakesTheAddressBackAtOnce)
{
    start();
    const std::string address = "127.0.0.1:" + std::to_string(m_port);
    ChildProcess second({servicePath(), "--listen", address, "--config", m_dir.file("service.conf")});
    EXPECT_EQ(second.readLine(seconds(10)), "nimbra-service: cannot listen on http://" + address +
                                                ": Address already in use (another program listens there)");
    EXPECT_EQ(second.waitExit(seconds(10)), 1);

    // The service closes a connection after its answer to "Connection: close"; the client
    // closes once it has seen that, which leaves the service's side in TIME_WAIT.
    {
        RawClient client("127.0.0.1", static_cast<std::uint16_t>(m_port));
        client.send("GET /ip HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        EXPECT_TRUE(client.closedWithin(seconds(5)));
    }
    ::kill(m_service->pid(), SIGTERM);
    EXPECT_EQ(m_service->waitExit(seconds(10)), 0);
    ASSERT_TRUE(timeWaitOn(m_port));
    start(kConfig, m_port);
    EXPECT_EQ(get("/ip"), "127.0.0.1");
}
