#pragma once

// The service's HTTP server: cpp-httplib's routing and answers, with the accepting and
// reading of connections done here, because cpp-httplib bounds each read and not a whole
// request, and lets every connection wait for a worker. So that slow clients cannot
// starve it:
// - a request must arrive whole within the request deadline, however its bytes trickle in;
// - one client address holds a few connections at most; one more is closed at once,
//   never queued;
// - it listens with SO_REUSEADDR and never SO_REUSEPORT: a restart takes the address back
//   at once despite the last run's connections in TIME_WAIT, and a second instance on a
//   taken address fails to bind instead of being handed half the connections.

#include "tools/nimbra-service/OpenConnections.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <string>
#include <sys/socket.h>

namespace nimbra_service {

class HttpServer : public httplib::Server
{
public:
    struct Limits
    {
        std::size_t workers;
        std::size_t connectionsPerAddress;
        std::chrono::milliseconds requestDeadline;
    };

    explicit HttpServer(Limits limits);

    // Once bound: cpp-httplib listens with a backlog of 5, so a burst of connections beyond
    // it has its SYNs dropped and retried a second or more later.
    bool widenBacklog(int backlog);
    // Serves on the bound socket until stop(); false when the listening socket failed.
    bool serve();
    // From any thread: serve() returns once the requests being read have failed and the
    // answers being written are done.
    void stop();

private:
    void admit(int fd, const sockaddr* peer, socklen_t size, httplib::ThreadPool& workers);
    void serveConnection(int fd, const std::string& ip, int port);

    const Limits m_limits;
    OpenConnections m_open;
    std::atomic<bool> m_stopping = false;
};

} // namespace nimbra_service
