#include "platform/windows/WinInetHttp.h"

#include "platform/windows/WindowsSystemProxy.h"

#include <algorithm>
#include <cctype>
#include <windows.h>
#include <wininet.h>

namespace platform {

namespace {

constexpr DWORD kConnectMs = 60 * 1000;
// An answer is taken from the server itself, not from the cache, and not written to it:
// the service's answers differ from one call to the next.
constexpr DWORD kFreshFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

// A WinINet handle, closed when the last holder lets it go. A handle made under another
// one holds its parent, so a parent never closes under its children.
using InternetHandle = std::shared_ptr<void>;

InternetHandle owned(HINTERNET handle)
{
    if (handle == nullptr) {
        return nullptr;
    }
    return InternetHandle(handle, [](HINTERNET h) { InternetCloseHandle(h); });
}

const char* textOrNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

// A response under `parent`: a whole URL opened, or a request made on a connection.
class WinInetRequest : public HttpRequest
{
public:
    WinInetRequest(InternetHandle parent, InternetHandle handle)
        : m_parent(std::move(parent)), m_handle(std::move(handle))
    {
    }

    bool send(const std::string& extraHeaders, const std::string& body) override
    {
        if (extraHeaders.size() > MAXDWORD || body.size() > MAXDWORD) {
            return false;
        }
        // The body must stay put while the request goes out.
        m_body = body;
        return HttpSendRequestA(m_handle.get(), textOrNull(extraHeaders),
                                static_cast<DWORD>(extraHeaders.size()),
                                m_body.empty() ? nullptr : m_body.data(), static_cast<DWORD>(m_body.size()));
    }

    std::optional<std::string> contentLength() override
    {
        std::string text(64, '\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD size = static_cast<DWORD>(text.size());
            if (HttpQueryInfoA(m_handle.get(), HTTP_QUERY_CONTENT_LENGTH, text.data(), &size, nullptr)) {
                text.resize(size);
                return text;
            }
            // A longer text than expected: the size it needs is in `size`.
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
                return std::nullopt;
            }
            text.assign(static_cast<std::size_t>(size) + 1, '\0');
        }
        return std::nullopt;
    }

    int status() override
    {
        DWORD code = 0;
        DWORD size = sizeof code;
        if (!HttpQueryInfoA(m_handle.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                            nullptr)) {
            return 0;
        }
        return static_cast<int>(code);
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        std::size_t filled = 0;
        while (filled < size) {
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - filled, MAXDWORD));
            DWORD got = 0;
            if (!InternetReadFile(m_handle.get(), buffer + filled, wanted, &got) || got == 0) {
                break;
            }
            filled += got;
        }
        return filled;
    }

private:
    InternetHandle m_parent;
    InternetHandle m_handle;
    std::string m_body;
};

class WinInetConnection : public HttpConnection
{
public:
    WinInetConnection(InternetHandle parent, InternetHandle handle)
        : m_parent(std::move(parent)), m_handle(std::move(handle))
    {
    }

    std::unique_ptr<HttpRequest> openRequest(const std::string& verb, const std::string& path,
                                             const std::string& version, const std::string& referrer,
                                             const std::vector<std::string>& acceptTypes,
                                             bool reload) override
    {
        std::vector<const char*> accept;
        for (const std::string& type : acceptTypes) {
            accept.push_back(type.c_str());
        }
        accept.push_back(nullptr);
        InternetHandle request = owned(HttpOpenRequestA(
            m_handle.get(), verb.c_str(), path.c_str(), textOrNull(version), textOrNull(referrer),
            accept.data(), reload ? kFreshFlags | INTERNET_FLAG_PRAGMA_NOCACHE : 0, 0));
        if (!request) {
            return nullptr;
        }
        return std::make_unique<WinInetRequest>(m_handle, std::move(request));
    }

private:
    InternetHandle m_parent;
    InternetHandle m_handle;
};

bool setTimeout(HINTERNET handle, DWORD option, DWORD ms)
{
    return InternetSetOptionA(handle, option, &ms, sizeof ms);
}

// How long a send or a receive on `handle` and the handles made under it may wait.
bool limitSilence(HINTERNET handle, DWORD ms)
{
    return setTimeout(handle, INTERNET_OPTION_SEND_TIMEOUT, ms) &&
           setTimeout(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, ms);
}

class WinInetSession : public HttpSession
{
public:
    WinInetSession(InternetHandle handle, DWORD silentMs) : m_handle(std::move(handle)), m_silentMs(silentMs)
    {
    }

    std::unique_ptr<HttpBody> openUrl(const std::string& url) override
    {
        InternetHandle body =
            owned(InternetOpenUrlA(m_handle.get(), url.c_str(), nullptr, 0, kFreshFlags, 0));
        if (!body) {
            return nullptr;
        }
        return std::make_unique<WinInetRequest>(m_handle, std::move(body));
    }

    std::unique_ptr<HttpConnection> connect(const std::string& host, int port, const std::string& userName,
                                            const std::string& password) override
    {
        if (port < 1 || port > 65535) {
            return nullptr;
        }
        InternetHandle connection =
            owned(InternetConnectA(m_handle.get(), host.c_str(), static_cast<INTERNET_PORT>(port),
                                   textOrNull(userName), textOrNull(password), INTERNET_SERVICE_HTTP, 0, 0));
        // Set again on the connection: wine's connections do not take the session's.
        if (!connection || !limitSilence(connection.get(), m_silentMs)) {
            return nullptr;
        }
        return std::make_unique<WinInetConnection>(m_handle, std::move(connection));
    }

private:
    InternetHandle m_handle;
    DWORD m_silentMs;
};

// Whether the system's proxy settings (the default ones or a dial-up connection's) name
// the program's own proxy.
bool namesOwnProxy(const std::string& ownProxy)
{
    if (ownProxy.empty()) {
        return false;
    }
    for (const auto& [name, value] : WindowsSystemProxy().userSettings()) {
        // The address in the server text, not a longer port that begins with its own.
        const std::size_t at = name.rfind("server", 0) == 0 ? value.find(ownProxy) : std::string::npos;
        const std::size_t end = at + ownProxy.size();
        if (at != std::string::npos &&
            (end == value.size() || !std::isdigit(static_cast<unsigned char>(value[end])))) {
            return true;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<HttpSession> WinInetHttp::open(const std::string& agent)
{
    const DWORD silentMs = silenceLimitMs();
    const DWORD access = namesOwnProxy(ownProxy()) ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PRECONFIG;
    InternetHandle session = owned(InternetOpenA(textOrNull(agent), access, nullptr, nullptr, 0));
    if (!session) {
        return nullptr;
    }
    // Handles made under the session take its time-outs. Without them a silent server
    // could hold a call (and the thread that makes it) for ever.
    if (!setTimeout(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, kConnectMs) ||
        !limitSilence(session.get(), silentMs)) {
        return nullptr;
    }
    return std::make_unique<WinInetSession>(std::move(session), silentMs);
}

void WinInetHttp::setOwnProxy(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    m_ownProxy = address;
}

std::string WinInetHttp::ownProxy()
{
    const std::lock_guard lock(m_mutex);
    return m_ownProxy;
}

void WinInetHttp::setSilenceLimit(std::chrono::milliseconds limit)
{
    const std::lock_guard lock(m_mutex);
    m_silenceLimit = limit;
}

unsigned long WinInetHttp::silenceLimitMs()
{
    const std::lock_guard lock(m_mutex);
    // WinINet takes whole milliseconds, at least one.
    return static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(m_silenceLimit.count(), 1, MAXDWORD));
}

} // namespace platform
