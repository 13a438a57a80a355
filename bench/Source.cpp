// The benchmark's destination: a fast data source on loopback. HTTP "GET /bytes/N"
// answers N bytes with sendfile(2) from an in-memory file, any other path a short page;
// the echo port sends back whatever arrives (for idle connections and ping-pong).
//
//   bench_source HTTP_PORT ECHO_PORT     (both on 127.0.0.1)

#include "bench/BulkHttp.h"

#include <asio.hpp>

#include <cstdio>
#include <random>
#include <string>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <unistd.h>

using asio::ip::tcp;

namespace {

constexpr std::size_t kFileSize = 64 << 20;
constexpr std::string_view kPage = "<html><body>short page</body></html>\n";

int makeContentFile()
{
    const int fd = ::memfd_create("bench-source", MFD_CLOEXEC);
    std::vector<char> block(1 << 20);
    std::mt19937_64 random(42);
    for (std::size_t written = 0; written < kFileSize; written += block.size()) {
        for (auto& c : block)
            c = static_cast<char>(random());
        if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size()))
            std::perror("write");
    }
    return fd;
}

asio::awaitable<void> sendContent(tcp::socket& socket, int file, std::uint64_t length)
{
    socket.non_blocking(true);
    for (std::uint64_t sent = 0; sent < length;) {
        off_t offset = static_cast<off_t>(sent % kFileSize);
        const std::size_t chunk = std::min<std::uint64_t>(kFileSize - offset, length - sent);
        const ssize_t n = ::sendfile(socket.native_handle(), file, &offset, chunk);
        if (n > 0)
            sent += static_cast<std::uint64_t>(n);
        else if (n < 0 && errno == EAGAIN)
            co_await socket.async_wait(tcp::socket::wait_write, asio::use_awaitable);
        else
            co_return;
    }
}

asio::awaitable<void> serveHttp(tcp::socket socket, int file)
{
    socket.set_option(tcp::no_delay(true));
    const std::optional<std::uint64_t> bulk = co_await bulkhttp::readRequest(socket);
    const std::string head =
        bulkhttp::responseHead(bulk.value_or(kPage.size())) + (bulk ? "" : std::string(kPage));
    co_await asio::async_write(socket, asio::buffer(head), asio::use_awaitable);
    if (bulk)
        co_await sendContent(socket, file, *bulk);
}

asio::awaitable<void> echo(tcp::socket socket)
{
    socket.set_option(tcp::no_delay(true));
    char buffer[16 * 1024];
    for (;;) {
        const std::size_t n = co_await socket.async_read_some(asio::buffer(buffer), asio::use_awaitable);
        co_await asio::async_write(socket, asio::buffer(buffer, n), asio::use_awaitable);
    }
}

asio::awaitable<void> acceptHttp(tcp::acceptor acceptor, int file)
{
    for (;;) {
        tcp::socket socket = co_await acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(acceptor.get_executor(), serveHttp(std::move(socket), file), asio::detached);
    }
}

asio::awaitable<void> acceptEcho(tcp::acceptor acceptor)
{
    for (;;) {
        tcp::socket socket = co_await acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(acceptor.get_executor(), echo(std::move(socket)), asio::detached);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_source HTTP_PORT ECHO_PORT\n");
        return 2;
    }
    const int file = makeContentFile();
    asio::io_context io(1);
    const auto loopback = asio::ip::address_v4::loopback();
    const auto port = [](const char* text) { return static_cast<std::uint16_t>(std::stoi(text)); };
    asio::co_spawn(io, acceptHttp(tcp::acceptor(io, {loopback, port(argv[1])}), file), asio::detached);
    asio::co_spawn(io, acceptEcho(tcp::acceptor(io, {loopback, port(argv[2])})), asio::detached);
    io.run();
}
