#include "tools/nimbra-service/HttpServer.h"

#include "tools/nimbra-service/DeadlineStream.h"

#include <cerrno>
#include <cstdio>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace nimbra_service {

namespace {

void reuseAddressOnly(socket_t fd)
{
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// One write per line, so lines do not interleave with the workers' request lines.
void logLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// Errors of accept() that say the listening socket itself is broken; any other concerns
// the one connection, or is a shortage that passes.
bool listeningSocketFailed(int error)
{
    return error == EBADF || error == EINVAL || error == ENOTSOCK || error == EFAULT;
}

} // namespace

HttpServer::HttpServer(Limits limits) : m_limits(limits), m_open(limits.connectionsPerAddress)
{
    set_socket_options(reuseAddressOnly);
}

bool HttpServer::widenBacklog(int backlog)
{
    return ::listen(svr_sock_, backlog) == 0;
}

bool HttpServer::serve()
{
    httplib::ThreadPool workers(m_limits.workers);
    bool failed = false;
    while (!m_stopping) {
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        const int fd = ::accept4(svr_sock_, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
        if (fd >= 0) {
            admit(fd, reinterpret_cast<const sockaddr*>(&peer), size, workers);
        } else if (m_stopping || listeningSocketFailed(errno)) {
            failed = !m_stopping;
            break;
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors or memory: connections that end give some back.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    m_open.stopReading();
    workers.shutdown();
    ::close(svr_sock_.exchange(INVALID_SOCKET));
    return !failed;
}

void HttpServer::stop()
{
    m_stopping = true;
    // Wakes the accept() in serve(), which closes the socket once it has returned.
    ::shutdown(svr_sock_, SHUT_RDWR);
}

void HttpServer::admit(int fd, const sockaddr* peer, socklen_t size, httplib::ThreadPool& workers)
{
    std::string ip;
    int port = 0;
    if (!numericAddress(peer, size, ip, port)) {
        ::close(fd);
        return;
    }
    if (!m_open.admit(fd, ip)) {
        logLine("nimbra-service: closed a connection from " + ip + ": it has " +
                std::to_string(m_limits.connectionsPerAddress) + " open\n");
        ::close(fd);
        return;
    }
    workers.enqueue([this, fd, ip, port] {
        serveConnection(fd, ip, port);
        m_open.release(fd);
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    });
}

// Requests one after another while the client keeps the connection, each read within its
// own deadline, counted from when the service begins to wait for it.
void HttpServer::serveConnection(int fd, const std::string& ip, int port)
{
    const auto idle = std::chrono::seconds(keep_alive_timeout_sec_);
    const auto writeTimeout =
        std::chrono::seconds(write_timeout_sec_) + std::chrono::microseconds(write_timeout_usec_);
    DeadlineStream stream(fd, ip, port, writeTimeout);
    for (std::size_t left = keep_alive_max_count_; left > 0; --left) {
        const auto start = Clock::now();
        stream.setDeadline(start + m_limits.requestDeadline);
        // A connection that sends nothing for the keep-alive time ends, whether before its
        // first request or between two.
        bool closed = false;
        const bool answered =
            stream.waitReadable(start + idle) && process_request(stream, left == 1, closed, nullptr);
        if (stream.missedDeadline()) {
            logLine("nimbra-service: dropped a request from " + ip + ": not whole within " +
                    std::to_string(m_limits.requestDeadline.count()) + " ms\n");
            return;
        }
        if (!answered || closed) {
            return;
        }
    }
}

} // namespace nimbra_service
