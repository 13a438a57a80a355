#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// HTTP as the program asks for it: a session opened with a user-agent text and the
// desktop's proxy configuration, under which a whole URL is opened, or a connection to a
// host made and a request sent on it; bodies read in blocks. Each object closes its handle
// when it goes. A server that does not answer cannot hold a call up for ever: connecting
// gives up after 60 s, and a transfer after its silence limit without a byte.

// How long a transfer may go without a byte unless the program says otherwise.
inline constexpr std::chrono::milliseconds kHttpSilenceLimit = std::chrono::seconds(30);

// A response body.
class HttpBody
{
public:
    virtual ~HttpBody() = default;
    // Fills `buffer` with up to `size` bytes, fewer only at the end of the body; 0 at the end
    // or when the transfer failed.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class HttpRequest : public HttpBody
{
public:
    // Sends the request with extra header lines (each ending in CR LF, or none) and a body;
    // true when an answer came.
    virtual bool send(const std::string& extraHeaders, const std::string& body) = 0;
    // The Content-Length header's text; nothing when the answer had none or none came.
    virtual std::optional<std::string> contentLength() = 0;
    // The answer's HTTP status code (of the last answer when redirects were followed); 0
    // when none came.
    virtual int status() = 0;
};

class HttpConnection
{
public:
    virtual ~HttpConnection() = default;
    // A request of `verb` for `path` in the HTTP `version` given, with a referrer (or
    // none when empty) and accept types; `reload` forces a fresh answer from the server.
    // Nothing when the request cannot be made.
    virtual std::unique_ptr<HttpRequest> openRequest(const std::string& verb, const std::string& path,
                                                     const std::string& version, const std::string& referrer,
                                                     const std::vector<std::string>& acceptTypes,
                                                     bool reload) = 0;
};

class HttpSession
{
public:
    virtual ~HttpSession() = default;
    // A GET of the whole URL; nothing when no connection could be made. Any HTTP status
    // gives a body to read.
    virtual std::unique_ptr<HttpBody> openUrl(const std::string& url) = 0;
    // A connection to host:port with a user name and password (none when empty); nothing
    // when it cannot be made.
    virtual std::unique_ptr<HttpConnection>
    connect(const std::string& host, int port, const std::string& userName, const std::string& password) = 0;
};

class Http
{
public:
    virtual ~Http() = default;
    // A session whose requests carry `agent` as their user-agent (none when empty) and go
    // through the proxy the desktop names for their address; nothing when HTTP is not
    // available at all.
    virtual std::unique_ptr<HttpSession> open(const std::string& agent) = 0;
    // The program's own proxy, host:port. Where the desktop names it, sessions opened
    // after this go direct instead: the program's requests must reach its service whatever
    // Warden's state, also when a run that ended unexpectedly left the desktop pointing at
    // a Warden that is gone.
    virtual void setOwnProxy(const std::string& address) = 0;
    // How long a transfer of the sessions opened after this may go without a byte, in
    // either direction, before it is given up; kHttpSilenceLimit until set.
    virtual void setSilenceLimit(std::chrono::milliseconds limit) = 0;
};

} // namespace platform
