#include "IpPage.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/read_until.hpp>
#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

using asio::ip::tcp;
using namespace std::chrono_literals;

namespace {

// A page's report may take as long as gathering does (the page gives up after 3 s) and the
// way back through the proxies; after this its image is answered anyway.
constexpr auto kHoldLimit = 15s;

// The value of `name` in the query of `target`, percent-decoded; empty when it is missing.
std::string queryValue(const std::string& target, const std::string& name)
{
    const std::size_t query = target.find('?');
    if (query == std::string::npos) {
        return "";
    }
    const std::string wanted = name + "=";
    std::size_t at = query + 1;
    while (at < target.size() && target.compare(at, wanted.size(), wanted) != 0) {
        const std::size_t next = target.find('&', at);
        at = next == std::string::npos ? target.size() : next + 1;
    }
    if (at >= target.size()) {
        return "";
    }
    std::string value;
    for (std::size_t i = at + wanted.size(); i < target.size() && target[i] != '&'; ++i) {
        if (target[i] == '%' && i + 2 < target.size() &&
            std::isxdigit(static_cast<unsigned char>(target[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(target[i + 2]))) {
            value += static_cast<char>(std::stoi(target.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            value += target[i];
        }
    }
    return value;
}

// The value of the header `name` in the request head `request`; empty when it is missing.
std::string headerValue(const std::string& request, const std::string& name)
{
    const std::string wanted = "\r\n" + name + ": ";
    const std::size_t at = request.find(wanted);
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t from = at + wanted.size();
    return request.substr(from, request.find("\r\n", from) - from);
}

// A number of up to five digits, as ports and load numbers are written; -1 for anything else.
int smallNumber(const std::string& text)
{
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::stoi(text);
}

// The page gathers candidates with a data channel's offer, as a page that looks for its
// visitor's addresses does, and reports them once gathering is complete or after 3 s.
// "{load}" and "{stun}" stand for the load number and the STUN server's port.
constexpr std::string_view kWebRtcPage = R"(<!DOCTYPE html>
<html><head><title>WebRTC</title></head><body>
<p id="candidates">(gathering)</p>
<img src="/webrtc-held?load={load}" alt="">
<script>
const found = [];
let reported = false;
function report(note) {
  if (reported) return;
  reported = true;
  if (note) found.push(note);
  const text = found.length ? found.join('\n') : '(none)';
  document.getElementById('candidates').textContent = text;
  fetch('/webrtc-report?load={load}&candidates=' + encodeURIComponent(text));
}
try {
  const connection = new RTCPeerConnection({iceServers: [{urls: 'stun:127.0.0.1:{stun}'}]});
  connection.onicecandidate = (event) => {
    if (!event.candidate) report();
    else if (event.candidate.candidate) found.push(event.candidate.candidate);
  };
  connection.onicegatheringstatechange = () => {
    if (connection.iceGatheringState === 'complete') report();
  };
  connection.createDataChannel('probe');
  connection.createOffer()
    .then((offer) => connection.setLocalDescription(offer))
    .catch((error) => report('error: ' + error));
  setTimeout(() => report('(gathering not complete after 3 s)'), 3000);
} catch (error) {
  report('error: ' + error);
}
</script>
</body></html>
)";

std::string webRtcPage(int load, int stunPort)
{
    std::string page(kWebRtcPage);
    for (const auto& [marker, value] : {std::pair<std::string, std::string>{"{load}", std::to_string(load)},
                                        {"{stun}", std::to_string(stunPort)}}) {
        for (std::size_t at = page.find(marker); at != std::string::npos;
             at = page.find(marker, at + value.size())) {
            page.replace(at, marker.size(), value);
        }
    }
    return page;
}

std::string response(const std::string& status, const std::string& type, const std::string& body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

IpPage::IpPage()
    : m_acceptor(m_io, tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
      m_port(m_acceptor.local_endpoint().port())
{
    asio::co_spawn(m_io, serve(), asio::detached);
    m_thread = std::thread([this] { m_io.run(); });
}

IpPage::~IpPage()
{
    m_io.stop();
    m_thread.join();
}

std::vector<std::string> IpPage::visitors(const std::string& agent) const
{
    const std::lock_guard lock(m_mutex);
    std::vector<std::string> addresses;
    for (const Visitor& visitor : m_visitors) {
        if (visitor.agent.find(agent) != std::string::npos) {
            addresses.push_back(visitor.address);
        }
    }
    return addresses;
}

std::string IpPage::webRtcUrl(const std::string& host, std::uint16_t stunPort) const
{
    return "http://" + host + ":" + std::to_string(m_port) + "/webrtc?stun=" + std::to_string(stunPort);
}

int IpPage::webRtcLoads() const
{
    const std::lock_guard lock(m_mutex);
    return m_webRtcLoads;
}

std::optional<std::string> IpPage::webRtcReport(int load, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_mutex);
    if (!m_reportArrived.wait_for(lock, limit, [&] { return m_reports.contains(load); })) {
        return std::nullopt;
    }
    return m_reports.at(load);
}

bool IpPage::reported(int load) const
{
    const std::lock_guard lock(m_mutex);
    return m_reports.contains(load);
}

asio::awaitable<void> IpPage::serve()
{
    for (;;) {
        tcp::socket socket = co_await m_acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(m_io, answer(std::move(socket)), asio::detached);
    }
}

asio::awaitable<void> IpPage::holdUntilReported(int load)
{
    asio::steady_timer timer(m_io);
    const auto deadline = std::chrono::steady_clock::now() + kHoldLimit;
    while (!reported(load) && std::chrono::steady_clock::now() < deadline) {
        timer.expires_after(20ms);
        co_await timer.async_wait(asio::use_awaitable);
    }
}

asio::awaitable<void> IpPage::answer(tcp::socket socket)
{
    std::string request;
    co_await asio::async_read_until(socket, asio::dynamic_buffer(request, 64 * 1024), "\r\n\r\n",
                                    asio::use_awaitable);
    std::error_code failed;
    const std::string visitor = socket.remote_endpoint(failed).address().to_string();
    // "GET target HTTP/1.1"
    const std::size_t targetAt = request.find(' ') + 1;
    const std::string target = request.substr(targetAt, request.find(' ', targetAt) - targetAt);
    const std::string path = target.substr(0, target.find('?'));
    std::string answer;
    if (path == "/webrtc") {
        const int stunPort = smallNumber(queryValue(target, "stun"));
        if (stunPort <= 0) {
            answer = response("400 Bad Request", "text/plain", "no STUN port\n");
        } else {
            int load = 0;
            {
                const std::lock_guard lock(m_mutex);
                load = m_webRtcLoads++;
            }
            answer = response("200 OK", "text/html", webRtcPage(load, stunPort));
        }
    } else if (path == "/webrtc-report") {
        {
            const std::lock_guard lock(m_mutex);
            m_reports.emplace(smallNumber(queryValue(target, "load")), queryValue(target, "candidates"));
        }
        m_reportArrived.notify_all();
        answer = response("200 OK", "text/plain", "reported\n");
    } else if (path == "/webrtc-held") {
        co_await holdUntilReported(smallNumber(queryValue(target, "load")));
        answer = response("204 No Content", "text/plain", "");
    } else {
        // Browsers ask for a page icon too; only the page counts.
        if (path == "/ip") {
            const std::lock_guard lock(m_mutex);
            m_visitors.push_back({visitor, headerValue(request, "User-Agent")});
        }
        answer =
            response("200 OK", "text/html", "<html><body><p id=\"ip\">" + visitor + "</p></body></html>\n");
    }
    co_await asio::async_write(socket, asio::buffer(answer), asio::use_awaitable);
}
