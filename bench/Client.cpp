// The benchmark's client: speaks SOCKS5 (no authentication) to a proxy on 127.0.0.1 and
// measures what bench/run reports.
//
//   bench_client ttfb COUNT PAUSE_MS HTTP_PORT NAME=PORT...
//       COUNT short requests through each named proxy path, the paths taking turns in
//       blocks so all see the same machine state, with PAUSE_MS between one request and
//       the next (0: back to back); prints the mean time to first byte of each path and
//       when on average its proxy had answered the greeting and the CONNECT, then the
//       ratio of each path's first byte to that of every path named before it.
//   bench_client idle COUNT WARDEN_PID WARDEN_PORT ECHO_PORT
//       COUNT relayed connections held open: Warden's resident memory and descriptors
//       before, while open and after closing, then one-byte ping-pongs through the chain.

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void sendAll(int fd, const void* data, std::size_t length)
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::send(fd, p, length, MSG_NOSIGNAL);
        if (n <= 0)
            throw std::runtime_error("send failed");
        p += n;
        length -= static_cast<std::size_t>(n);
    }
}

void receiveExactly(int fd, void* data, std::size_t length)
{
    char* p = static_cast<char*>(data);
    while (length > 0) {
        const ssize_t n = ::recv(fd, p, length, 0);
        if (n <= 0)
            throw std::runtime_error("connection ended early");
        p += n;
        length -= static_cast<std::size_t>(n);
    }
}

int connectLoopback(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("connect failed: " + std::string(std::strerror(errno)));
    return fd;
}

double microsecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Microseconds from connecting to the proxy until each answer arrived.
struct Milestones
{
    double greeted = 0, connected = 0, firstByte = 0;

    Milestones& operator+=(const Milestones& other)
    {
        greeted += other.greeted;
        connected += other.connected;
        firstByte += other.firstByte;
        return *this;
    }
};

// A connection through the SOCKS5 proxy at `proxyPort` to 127.0.0.1:`port`.
int openThrough(std::uint16_t proxyPort, std::uint16_t port, Milestones* milestones = nullptr)
{
    const auto start = Clock::now();
    const int fd = connectLoopback(proxyPort);
    const unsigned char greeting[] = {5, 1, 0};
    sendAll(fd, greeting, sizeof greeting);
    unsigned char choice[2];
    receiveExactly(fd, choice, sizeof choice);
    if (milestones)
        milestones->greeted = microsecondsSince(start);
    const unsigned char request[] = {5,
                                     1,
                                     0,
                                     1,
                                     127,
                                     0,
                                     0,
                                     1,
                                     static_cast<unsigned char>(port >> 8),
                                     static_cast<unsigned char>(port & 0xFF)};
    sendAll(fd, request, sizeof request);
    unsigned char head[5];
    receiveExactly(fd, head, sizeof head);
    if (head[1] != 0)
        throw std::runtime_error("proxy refused with code " + std::to_string(head[1]));
    const std::size_t rest = head[3] == 1 ? 5 : head[3] == 4 ? 17 : head[4] + 2u;
    std::vector<unsigned char> bound(rest);
    receiveExactly(fd, bound.data(), rest);
    if (milestones)
        milestones->connected = microsecondsSince(start);
    return fd;
}

Milestones timeToFirstByte(std::uint16_t proxyPort, std::uint16_t httpPort)
{
    Milestones milestones;
    const auto start = Clock::now();
    const int fd = openThrough(proxyPort, httpPort, &milestones);
    const std::string get = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    sendAll(fd, get.data(), get.size());
    char first;
    receiveExactly(fd, &first, 1);
    milestones.firstByte = microsecondsSince(start);
    char sink[4096];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
    return milestones;
}

// One way to the HTTP source: a name for the figures and the proxy port it starts at.
struct Path
{
    std::string name;
    std::uint16_t port = 0;
    Milestones sum;
};

int ttfb(int count, int pauseMs, std::uint16_t httpPort, std::vector<Path> paths)
{
    // Blocks of requests rather than single ones: the background work one path leaves
    // behind (Warden replacing its spare) then lands on that path's own next request,
    // not on another path's.
    constexpr int kBlock = 100;
    const auto pause = std::chrono::milliseconds(pauseMs);
    for (int done = 0; done < count; done += kBlock) {
        const int n = std::min(kBlock, count - done);
        for (Path& path : paths)
            for (int i = 0; i < n; ++i) {
                path.sum += timeToFirstByte(path.port, httpPort);
                std::this_thread::sleep_for(pause);
            }
    }
    int width = 0;
    for (const Path& path : paths)
        width = std::max(width, static_cast<int>(path.name.size()));
    std::printf("ttfb: %d sequential requests through each path, %d ms between requests:\n", count, pauseMs);
    for (const Path& path : paths)
        std::printf("  %-*s first byte %7.1f us  (greeting answered at %6.1f us, CONNECT at %6.1f us)\n",
                    width, path.name.c_str(), path.sum.firstByte / count, path.sum.greeted / count,
                    path.sum.connected / count);
    for (std::size_t later = 1; later < paths.size(); ++later)
        for (std::size_t earlier = 0; earlier < later; ++earlier)
            std::printf("  ratio %s / %s: %.3f\n", paths[later].name.c_str(), paths[earlier].name.c_str(),
                        paths[later].sum.firstByte / paths[earlier].sum.firstByte);
    return 0;
}

long residentKiB(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    return -1;
}

long openDescriptors(int pid)
{
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    long count = 0;
    for (int fd = 0; fd < 65536; ++fd)
        if (::access((dir + "/" + std::to_string(fd)).c_str(), F_OK) == 0)
            ++count;
    return count;
}

int idle(int count, int pid, std::uint16_t wardenPort, std::uint16_t echoPort)
{
    const long rssBefore = residentKiB(pid);
    const long fdsBefore = openDescriptors(pid);
    std::vector<int> connections;
    for (int i = 0; i < count; ++i)
        connections.push_back(openThrough(wardenPort, echoPort));
    const long rssOpen = residentKiB(pid);
    const long fdsOpen = openDescriptors(pid);

    constexpr int kPings = 1000;
    double worstMs = 0, totalMs = 0;
    int stalls = 0;
    for (int i = 0; i < kPings; ++i) {
        char byte = static_cast<char>(i);
        const auto start = Clock::now();
        sendAll(connections.front(), &byte, 1);
        receiveExactly(connections.front(), &byte, 1);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        worstMs = std::max(worstMs, ms);
        totalMs += ms;
        stalls += ms >= 40.0;
    }

    for (const int fd : connections)
        ::close(fd);
    long fdsAfter = openDescriptors(pid);
    for (int i = 0; i < 100 && fdsAfter > fdsBefore; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fdsAfter = openDescriptors(pid);
    }
    std::printf(
        "idle: %d relayed connections: Warden RSS %ld KiB -> %ld KiB (+%.1f MiB), descriptors %ld -> %ld -> "
        "%ld after closing\n",
        count, rssBefore, rssOpen, (rssOpen - rssBefore) / 1024.0, fdsBefore, fdsOpen, fdsAfter);
    std::printf(
        "ping-pong: %d one-byte round trips through Warden + exit: mean %.3f ms, worst %.3f ms, %d of 40 ms "
        "or more\n",
        kPings, totalMs / kPings, worstMs, stalls);
    return 0;
}

std::uint16_t port(const std::string& text)
{
    const int value = std::stoi(text);
    if (value <= 0 || value > 65535)
        throw std::runtime_error("not a port: " + text);
    return static_cast<std::uint16_t>(value);
}

// "NAME=PORT" on the command line.
Path parsePath(const std::string& text)
{
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0)
        throw std::runtime_error("not NAME=PORT: " + text);
    return {text.substr(0, equals), port(text.substr(equals + 1)), {}};
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "ttfb" && argc >= 6) {
            std::vector<Path> paths;
            for (int i = 5; i < argc; ++i)
                paths.push_back(parsePath(argv[i]));
            return ttfb(std::stoi(argv[2]), std::stoi(argv[3]), port(argv[4]), std::move(paths));
        }
        if (mode == "idle" && argc == 6)
            return idle(std::stoi(argv[2]), std::stoi(argv[3]), port(argv[4]), port(argv[5]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_client: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: bench_client ttfb COUNT PAUSE_MS HTTP_PORT NAME=PORT...\n"
                         "       bench_client idle COUNT WARDEN_PID WARDEN_PORT ECHO_PORT\n");
    return 2;
}
