// nimbra-service: the local reference service. It answers the program's handshake with
// the exits of its configuration, tells callers their address, serves the help pages and
// the signed update, logging one line per request on stderr until SIGINT or SIGTERM.
// With --sign or --public-key it does that job of a release instead and ends.

#include "tools/nimbra-service/Answer.h"
#include "tools/nimbra-service/CommandLine.h"
#include "tools/nimbra-service/HttpServer.h"
#include "tools/nimbra-service/Pages.h"
#include "tools/nimbra-service/ServiceConfig.h"
#include "tools/nimbra-service/Signing.h"
#include "tools/nimbra-service/UpdateFile.h"

#include <httplib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace nimbra_service;

// Requests are served by this many threads; connections beyond them are accepted and wait
// in the queue, holding a socket each, so a burst is answered late rather than refused.
constexpr std::size_t kWorkers = 16;
// The program asks its service one request at a time, so four lets a few programs behind
// one address (a household's router) through at once, while clients on three addresses
// still leave a quarter of the workers to everyone else. A fifth connection is closed.
constexpr std::size_t kConnectionsPerAddress = 4;
constexpr int kBacklog = 1024;
// No request of the service carries a body.
constexpr std::size_t kMaxBody = 8 * 1024;
constexpr std::size_t kMaxLoggedTarget = 160;

// Text from a request as it goes into the log: short and printable ASCII, so no request
// can forge log lines or drive the terminal. A request refused before it was read (a
// request line too long) has no method or target: "-".
std::string printable(std::string_view text, std::size_t max)
{
    if (text.empty()) {
        return "-";
    }
    std::string result;
    for (const char c : text.substr(0, max)) {
        result += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text.size() > max ? result + "..." : result;
}

void logRequest(const httplib::Request& request, const httplib::Response& response)
{
    const std::string line = "nimbra-service: " + printable(request.method, 16) + " " +
                             printable(request.target, kMaxLoggedTarget) + " " +
                             std::to_string(response.status) + " " + printable(request.remote_addr, 64) +
                             "\n";
    // One write per line, so lines of parallel requests do not interleave.
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// The update's bytes straight from memory: a copy per download would cost up to the
// update's size for every worker.
void addUpdateRoutes(HttpServer& server, const SignedUpdate& update)
{
    server.Get(R"(/download/nimbra\.exe)", [&update](const httplib::Request&, httplib::Response& response) {
        const std::string_view bytes = update.bytes;
        response.set_content_provider(
            bytes.size(), "application/octet-stream",
            [bytes](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                return sink.write(bytes.data() + offset, length);
            });
    });
    server.Get(R"(/download/nimbra\.exe\.sig)",
               [&update](const httplib::Request&, httplib::Response& response) {
                   response.set_content(reinterpret_cast<const char*>(update.signature.data()),
                                        update.signature.size(), "application/octet-stream");
               });
}

// `update` is null when none is configured: its paths then answer 404 like any other.
void addRoutes(HttpServer& server, const ServiceConfig& config, const SignedUpdate* update)
{
    if (update) {
        addUpdateRoutes(server, *update);
    }
    server.Get(R"(/update1\.php)", [&config](const httplib::Request& request, httplib::Response& response) {
        // The raw query: the program does not percent-encode it, so it is checked as sent.
        const std::string_view target = request.target;
        const std::size_t mark = target.find('?');
        const std::string_view query = mark == std::string_view::npos ? "" : target.substr(mark + 1);
        response.set_content(handshakeAnswer(config, query), "text/plain");
    });
    server.Get("/ip", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.remote_addr, "text/plain");
    });
    server.Get(".*", [](const httplib::Request& request, httplib::Response& response) {
        if (const auto page = pageAt(request.path)) {
            response.set_content(std::string(*page), "text/html; charset=utf-8");
        } else {
            response.status = 404;
            response.set_content("Not found\n", "text/plain");
        }
    });
}

void limit(HttpServer& server)
{
    server.set_payload_max_length(kMaxBody);
    server.set_write_timeout(5);
    // An idle connection holds a worker until this passes; short, so idle clients cannot
    // keep the workers from a queue of waiting ones for long.
    server.set_keep_alive_timeout(2);
    server.set_keep_alive_max_count(100);
}

std::string url(const Options& options, int port)
{
    const bool bracketed = options.host.find(':') != std::string::npos;
    return "http://" + (bracketed ? "[" + options.host + "]" : options.host) + ":" + std::to_string(port);
}

// --sign: FILE.sig written beside FILE, and the public key the program must be built with
// to accept it, so a release is one command.
int signRelease(const std::string& path, const ServiceConfig& config)
{
    std::string error;
    const SigningSeed seed = updateSigningSeedOf(config);
    const auto bytes = readUpdateFile(path, error);
    const auto sigPath = bytes ? writeSignatureFile(path, sign(*bytes, seed), error) : std::nullopt;
    if (!sigPath) {
        std::cerr << "nimbra-service: " << error << "\n";
        return 2;
    }
    std::cout << "signature: " << *sigPath << "\npublic key: " << toHex(publicKeyOf(seed)) << "\n";
    return 0;
}

int serve(const Options& options, const ServiceConfig& config)
{
    std::optional<SignedUpdate> update;
    if (!config.updateFile.empty()) {
        std::string error;
        update = loadSignedUpdate(config, error);
        if (!update) {
            std::cerr << "nimbra-service: " << options.configFile << ": update-file " << error << "\n";
            return 2;
        }
    }

    // A client that goes while its answer is written must not end the service.
    std::signal(SIGPIPE, SIG_IGN);
    // The stop signals are blocked in every thread (the workers inherit the mask) and
    // taken by sigwait below, where stopping the server is safe.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    HttpServer server({kWorkers, kConnectionsPerAddress, options.requestDeadline});
    limit(server);
    addRoutes(server, config, update ? &*update : nullptr);
    server.set_logger(logRequest);
    // errno tells why binding failed; an address that does not resolve leaves it 0.
    errno = 0;
    const int port = options.port == 0
                         ? server.bind_to_any_port(options.host)
                         : (server.bind_to_port(options.host, options.port) ? options.port : -1);
    if (port < 0 || !server.widenBacklog(kBacklog)) {
        const int reason = errno;
        std::cerr << "nimbra-service: cannot listen on " << url(options, options.port) << ": "
                  << (reason != 0 ? std::strerror(reason) : "no such address")
                  << (reason == EADDRINUSE ? " (another program listens there)" : "") << "\n";
        return 1;
    }
    std::cerr << "nimbra-service: listening on " << url(options, port) << " with " << config.exits.size()
              << " exits from " << (options.configFile.empty() ? "the built-in demo" : options.configFile)
              << std::endl;
    if (update) {
        std::cerr << "nimbra-service: offering " << config.updateFile << " (" << update->bytes.size()
                  << " bytes) at /download/nimbra.exe, signed for the public key "
                  << toHex(publicKeyOf(updateSigningSeedOf(config))) << std::endl;
    }

    bool served = true;
    std::thread serving([&server, &served] {
        served = server.serve();
        if (!served) {
            ::kill(::getpid(), SIGTERM); // wakes the sigwait below
        }
    });
    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    serving.join();
    if (!served) {
        std::cerr << "nimbra-service: the listening socket failed\n";
        return 1;
    }
    std::cerr << "nimbra-service: stopped\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    std::string error;
    const auto options = parseCommandLine(args, error);
    if (!options) {
        std::cerr << "nimbra-service: " << error << "\n" << kUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kUsage;
        return 0;
    }
    const auto config = options->configFile.empty() ? std::optional(demoConfig())
                                                    : loadConfigFile(options->configFile, error);
    if (!config) {
        std::cerr << "nimbra-service: " << error << "\n";
        return 2;
    }

    if (options->publicKey) {
        std::cout << toHex(publicKeyOf(updateSigningSeedOf(*config))) << "\n";
        return 0;
    }
    return options->signFile.empty() ? serve(*options, *config) : signRelease(options->signFile, *config);
}
