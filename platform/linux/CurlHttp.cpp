#include "platform/linux/CurlHttp.h"

#include <curl/curl.h>
#include <poll.h>
#include <proxy.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace platform {

namespace {

constexpr long kConnectSeconds = 60;
// Received body held at most before the transfer waits for the reader.
constexpr std::size_t kHeldBody = 64 * 1024;

// Whether two host:port texts name the same address: the desktop keeps a port as a
// number, so "07070" and "7070" are one.
bool sameAddress(const std::string& a, const std::string& b)
{
    const std::size_t colonA = a.rfind(':');
    const std::size_t colonB = b.rfind(':');
    if (colonA == std::string::npos || colonB == std::string::npos ||
        a.compare(0, colonA, b, 0, colonB) != 0) {
        return false;
    }
    const std::string portA = a.substr(colonA + 1);
    const std::string portB = b.substr(colonB + 1);
    const auto number = [](const std::string& port) {
        const std::size_t digits = port.find_first_not_of('0');
        return digits == std::string::npos ? std::string("0") : port.substr(digits);
    };
    return !portA.empty() && !portB.empty() && number(portA) == number(portB);
}

// What every transfer of a session carries: its user-agent text, the program's own
// proxy, never to be used, and how long it may go without a byte.
struct SessionSettings
{
    std::string agent;
    std::string ownProxy;
    std::chrono::milliseconds silenceLimit;
};

// The proxy the desktop names for `url`.
std::string proxyFor(const std::string& url, const std::string& ownProxy)
{
    pxProxyFactory* factory = px_proxy_factory_new();
    if (factory == nullptr) {
        return "";
    }
    std::vector<std::string> answer;
    char** proxies = px_proxy_factory_get_proxies(factory, url.c_str());
    for (char** proxy = proxies; proxy != nullptr && *proxy != nullptr; ++proxy) {
        answer.emplace_back(*proxy);
    }
    px_proxy_factory_free_proxies(proxies);
    px_proxy_factory_free(factory);
    return curlProxyFor(answer, ownProxy);
}

// One transfer, driven as far as its reader needs.
class CurlTransfer : public HttpRequest
{
public:
    CurlTransfer(const std::string& url, const SessionSettings& settings)
        : m_easy(curl_easy_init()), m_multi(curl_multi_init()), m_silenceLimit(settings.silenceLimit)
    {
        curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
        if (!settings.agent.empty()) {
            curl_easy_setopt(m_easy, CURLOPT_USERAGENT, settings.agent.c_str());
        }
        curl_easy_setopt(m_easy, CURLOPT_PROXY, proxyFor(url, settings.ownProxy).c_str());
        curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
        // libcurl's own low-speed limit counts whole seconds only.
        curl_easy_setopt(m_easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(m_easy, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::onProgress);
        curl_easy_setopt(m_easy, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    }

    ~CurlTransfer() override
    {
        if (m_started) {
            curl_multi_remove_handle(m_multi, m_easy);
        }
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
        curl_slist_free_all(m_headers);
    }

    CURL* easy() { return m_easy; }

    // Runs until the answer's headers are in; false when none came.
    bool start()
    {
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
        curl_multi_add_handle(m_multi, m_easy);
        m_started = true;
        m_lastByte = Clock::now();
        while (!m_headersDone && step()) {
        }
        return m_headersDone;
    }

    void addHeader(const std::string& line) { m_headers = curl_slist_append(m_headers, line.c_str()); }

    bool send(const std::string& extraHeaders, const std::string& body) override
    {
        for (std::size_t at = 0; at < extraHeaders.size();) {
            const std::size_t end = std::min(extraHeaders.find("\r\n", at), extraHeaders.size());
            if (end > at) {
                addHeader(extraHeaders.substr(at, end - at));
            }
            at = end + 2;
        }
        if (m_post) {
            m_body = body;
            curl_easy_setopt(m_easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(m_body.size()));
            curl_easy_setopt(m_easy, CURLOPT_POSTFIELDS, m_body.c_str());
        }
        return start();
    }

    void setPost(bool post) { m_post = post; }

    std::optional<std::string> contentLength() override
    {
        if (!m_headersDone) {
            return std::nullopt;
        }
        for (const std::string& line : m_responseHeaders) {
            if (line.size() > 15 && strncasecmp(line.c_str(), "Content-Length:", 15) == 0) {
                std::string value = line.substr(15);
                value.erase(0, value.find_first_not_of(" \t"));
                value.erase(value.find_last_not_of(" \t\r\n") + 1);
                return value;
            }
        }
        return std::nullopt;
    }

    int status() override
    {
        long code = 0;
        if (m_headersDone) {
            curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &code);
        }
        return static_cast<int>(code);
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        m_lastByte = Clock::now();
        while (held() < size && step()) {
        }
        const std::size_t n = std::min(size, held());
        std::memcpy(buffer, m_held.data() + m_taken, n);
        m_taken += n;
        // Taken bytes are dropped in one move once they are half the store, not per read.
        if (m_taken >= kHeldBody / 2 || m_taken == m_held.size()) {
            m_held.erase(0, m_taken);
            m_taken = 0;
        }
        return n;
    }

private:
    std::size_t held() const { return m_held.size() - m_taken; }

    // One round of the transfer; false once it has ended.
    bool step()
    {
        if (m_ended) {
            return false;
        }
        if (m_paused && held() < kHeldBody) {
            m_paused = false;
            m_lastByte = Clock::now();
            curl_easy_pause(m_easy, CURLPAUSE_CONT);
        }
        int running = 0;
        curl_multi_perform(m_multi, &running);
        if (running == 0) {
            m_ended = true;
            return false;
        }
        if (!m_paused) {
            curl_multi_poll(m_multi, nullptr, 0, 100, nullptr);
        }
        return true;
    }

    // Silence counts once the connection is made (connecting has its own limit), and only
    // while a caller waits for the transfer: not while it is paused for the reader, nor
    // between two calls. A non-zero answer ends the transfer as failed.
    static int onProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
    {
        auto* transfer = static_cast<CurlTransfer*>(self);
        const Clock::time_point now = Clock::now();
        const curl_off_t moved = received + sent + transfer->m_headerBytes;
        curl_off_t connected = 0;
        curl_easy_getinfo(transfer->m_easy, CURLINFO_PRETRANSFER_TIME_T, &connected);
        if (moved != transfer->m_moved || transfer->m_paused || connected == 0) {
            transfer->m_moved = moved;
            transfer->m_lastByte = now;
            return 0;
        }
        return now - transfer->m_lastByte >= transfer->m_silenceLimit ? 1 : 0;
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* transfer = static_cast<CurlTransfer*>(self);
        transfer->m_headerBytes += static_cast<curl_off_t>(size * count);
        const std::string line(data, size * count);
        if (line == "\r\n" || line == "\n") {
            long status = 0;
            curl_easy_getinfo(transfer->m_easy, CURLINFO_RESPONSE_CODE, &status);
            // An interim answer (1xx) or a redirect that is followed is not the answer.
            char* location = nullptr;
            curl_easy_getinfo(transfer->m_easy, CURLINFO_REDIRECT_URL, &location);
            if (status >= 200 && location == nullptr) {
                transfer->m_headersDone = true;
            } else {
                transfer->m_responseHeaders.clear();
            }
        } else {
            transfer->m_responseHeaders.push_back(line);
        }
        return size * count;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* transfer = static_cast<CurlTransfer*>(self);
        if (transfer->held() >= kHeldBody) {
            transfer->m_paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        transfer->m_held.append(data, size * count);
        return size * count;
    }

    using Clock = std::chrono::steady_clock;

    CURL* m_easy;
    CURLM* m_multi;
    std::chrono::milliseconds m_silenceLimit;
    // Bytes moved so far (headers and body, both ways) and when the count last changed.
    curl_off_t m_headerBytes = 0;
    curl_off_t m_moved = 0;
    Clock::time_point m_lastByte;
    curl_slist* m_headers = nullptr;
    std::vector<std::string> m_responseHeaders;
    // Received body not yet read, from m_taken on.
    std::string m_held;
    std::size_t m_taken = 0;
    std::string m_body;
    bool m_post = false;
    bool m_started = false;
    bool m_headersDone = false;
    bool m_paused = false;
    bool m_ended = false;
};

class CurlConnection : public HttpConnection
{
public:
    CurlConnection(std::string origin, SessionSettings settings, std::string userName, std::string password)
        : m_origin(std::move(origin)), m_settings(std::move(settings)), m_userName(std::move(userName)),
          m_password(std::move(password))
    {
    }

    std::unique_ptr<HttpRequest> openRequest(const std::string& verb, const std::string& path,
                                             const std::string& version, const std::string& referrer,
                                             const std::vector<std::string>& acceptTypes,
                                             bool reload) override
    {
        auto request = std::make_unique<CurlTransfer>(m_origin + path, m_settings);
        CURL* easy = request->easy();
        request->setPost(verb == "POST");
        if (verb != "GET" && verb != "POST") {
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
        }
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                         version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
        if (!referrer.empty()) {
            curl_easy_setopt(easy, CURLOPT_REFERER, referrer.c_str());
        }
        if (!m_userName.empty() || !m_password.empty()) {
            curl_easy_setopt(easy, CURLOPT_USERNAME, m_userName.c_str());
            curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.c_str());
        }
        std::string accept;
        for (const std::string& type : acceptTypes) {
            accept += (accept.empty() ? "" : ", ") + type;
        }
        request->addHeader(accept.empty() ? "Accept:" : "Accept: " + accept);
        if (reload) {
            request->addHeader("Pragma: no-cache");
            request->addHeader("Cache-Control: no-cache");
        }
        return request;
    }

private:
    std::string m_origin;
    SessionSettings m_settings;
    std::string m_userName;
    std::string m_password;
};

class CurlSession : public HttpSession
{
public:
    explicit CurlSession(SessionSettings settings) : m_settings(std::move(settings)) {}

    std::unique_ptr<HttpBody> openUrl(const std::string& url) override
    {
        auto transfer = std::make_unique<CurlTransfer>(url, m_settings);
        if (!transfer->start()) {
            return nullptr;
        }
        return transfer;
    }

    std::unique_ptr<HttpConnection> connect(const std::string& host, int port, const std::string& userName,
                                            const std::string& password) override
    {
        return std::make_unique<CurlConnection>("http://" + host + ":" + std::to_string(port), m_settings,
                                                userName, password);
    }

private:
    SessionSettings m_settings;
};

} // namespace

std::string curlProxyFor(const std::vector<std::string>& libproxyAnswer, const std::string& ownProxy)
{
    for (const std::string& proxy : libproxyAnswer) {
        const std::size_t scheme = proxy.find("://");
        if (scheme == std::string::npos) {
            continue;
        }
        const std::string kind = proxy.substr(0, scheme);
        std::string address = proxy.substr(scheme + 3);
        // libproxy may end the address with a slash.
        if (!address.empty() && address.back() == '/') {
            address.pop_back();
        }
        if (kind == "direct" || sameAddress(address, ownProxy)) {
            return "";
        }
        if (kind == "socks" || kind == "socks5") {
            return "socks5h://" + address;
        }
        if (kind == "socks4") {
            return "socks4a://" + address;
        }
        if (kind == "http") {
            return "http://" + address;
        }
    }
    return "";
}

CurlHttp::CurlHttp()
{
    // Once, before any thread makes a transfer.
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

std::unique_ptr<HttpSession> CurlHttp::open(const std::string& agent)
{
    const std::lock_guard lock(m_mutex);
    return std::make_unique<CurlSession>(SessionSettings{agent, m_ownProxy, m_silenceLimit});
}

void CurlHttp::setOwnProxy(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    m_ownProxy = address;
}

void CurlHttp::setSilenceLimit(std::chrono::milliseconds limit)
{
    const std::lock_guard lock(m_mutex);
    m_silenceLimit = limit;
}

} // namespace platform
