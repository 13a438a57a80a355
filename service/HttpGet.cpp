#include "service/HttpGet.h"

#include <atomic>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>

struct THTTPGet::Transfer
{
    std::string AcceptTypes, Agent, URL, FileName, UserName, Password, PostQuery, Referer;
    bool BinaryData = false;
    bool UseCache = false;
    int maxSize = kMaxDownloadSize;
    TOnProgressEvent OnProgress;
    // Written by the GUI thread, read by the worker at its checks.
    std::atomic<bool> stopRequested = false;
    // Read on the GUI thread only, by the events: none once the component is gone.
    THTTPGet* owner = nullptr;
    // The worker's, read on the GUI thread once the worker's body has ended.
    bool result = false;
    bool fileMade = false;
    int announcedLength = 0;
    int received = 0;
};

namespace {

constexpr std::size_t kBlockSize = 1025;
constexpr const char* kFormHeader = "Content-Type: application/x-www-form-urlencoded";

// A Content-Length text as a whole number; nothing for anything else, also beyond 32 bits.
std::optional<int> announcedLength(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

struct CloseFile
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A new, empty file at `path`. Whatever is there goes first, a link itself and not what it
// points to, and the file is then made exclusively: a link planted at the name, before or
// meanwhile, is never followed to write elsewhere. Nothing when it cannot be made.
std::unique_ptr<std::FILE, CloseFile> createFile(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return std::unique_ptr<std::FILE, CloseFile>(std::fopen(path.c_str(), "wbx"));
}

bool successStatus(int status)
{
    return status >= 200 && status <= 299;
}

// The worker's body: it frees itself when it ends, after handing its end to the GUI
// thread. It tests the stop request at four places only; a read under way runs on.
class THTTPGetThread
{
public:
    THTTPGetThread(std::shared_ptr<THTTPGet::Transfer> transfer, platform::Http& http, GuiThread& gui)
        : m_transfer(std::move(transfer)), m_http(http), m_gui(gui)
    {
    }

    void Execute() { m_transfer->result = transfer(); }

private:
    bool stopped() const { return m_transfer->stopRequested; }

    bool transfer()
    {
        THTTPGet::Transfer& t = *m_transfer;
        const SplitUrl url = SplitURL(t.URL);
        if (stopped()) {
            return false;
        }
        const std::unique_ptr<platform::HttpSession> session = m_http.open(t.Agent);
        if (!session) {
            return false;
        }
        const auto [host, port] = hostAndPort(url.host);
        const std::unique_ptr<platform::HttpConnection> connection =
            session->connect(host, port, t.UserName, t.Password);
        if (!connection) {
            return false;
        }
        const bool post = !t.PostQuery.empty();
        const std::unique_ptr<platform::HttpRequest> request =
            connection->openRequest(post ? "POST" : "GET", url.path, "HTTP/1.0", t.Referer,
                                    {"Accept: " + t.AcceptTypes}, !t.UseCache);
        if (!request) {
            return false;
        }
        // Whether it went out shows in its status. An error page is never the file.
        request->send(post ? kFormHeader : "", post ? t.PostQuery : "");
        if (stopped() || !successStatus(request->status())) {
            return false;
        }
        const std::optional<std::string> lengthText = request->contentLength();
        if (stopped() || (!lengthText && t.BinaryData)) {
            return false;
        }
        if (lengthText) {
            const std::optional<int> length = announcedLength(*lengthText);
            if (!length || *length < 0 || *length > t.maxSize) {
                return false;
            }
            t.announcedLength = *length;
        }
        // The most the body may bring: what was announced, else the limit.
        const int allowed = lengthText ? t.announcedLength : t.maxSize;
        t.received = 0;
        const std::unique_ptr<std::FILE, CloseFile> file = createFile(t.FileName);
        if (!file) {
            return false;
        }
        t.fileMade = true;
        char block[kBlockSize];
        for (;;) {
            if (stopped()) {
                return false;
            }
            const std::size_t got = request->read(block, sizeof block);
            if (got == 0) {
                break;
            }
            if (got > static_cast<std::size_t>(allowed - t.received)) {
                return false;
            }
            if (std::fwrite(block, 1, got, file.get()) != got) {
                return false;
            }
            t.received += static_cast<int>(got);
            if (t.OnProgress) {
                const int total = t.announcedLength;
                const int received = t.received;
                m_gui.runAndWait([this, total, received] {
                    if (THTTPGet* owner = m_transfer->owner) {
                        m_transfer->OnProgress(*owner, total, received);
                    }
                });
            }
        }
        // Without an announced length only an empty body counts as complete. A file whose
        // last bytes cannot be written out (a full disk) is no arrival.
        return t.received == t.announcedLength && std::fflush(file.get()) == 0;
    }

    std::shared_ptr<THTTPGet::Transfer> m_transfer;
    platform::Http& m_http;
    GuiThread& m_gui;
};

} // namespace

SplitUrl SplitURL(const std::string& url)
{
    std::string rest = url;
    const std::string scheme = "http://";
    if (rest.size() >= scheme.size() &&
        std::equal(scheme.begin(), scheme.end(), rest.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
        rest.erase(0, scheme.size());
    }
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) {
        return {"", rest};
    }
    return {rest.substr(0, slash), rest.substr(slash)};
}

std::pair<std::string, int> hostAndPort(const std::string& host)
{
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos) {
        int port = 0;
        const char* end = host.data() + host.size();
        const auto [stop, error] = std::from_chars(host.data() + colon + 1, end, port);
        if (error == std::errc() && stop == end && port > 0 && port <= 65535) {
            return {host.substr(0, colon), port};
        }
    }
    return {host, 80};
}

THTTPGet::THTTPGet(platform::Http& http, GuiThread& gui) : m_http(http), m_gui(gui) {}

THTTPGet::~THTTPGet()
{
    if (m_transfer) {
        m_transfer->owner = nullptr;
        m_transfer->stopRequested = true;
    }
}

void THTTPGet::GetFile()
{
    if (m_transfer) {
        return;
    }
    auto transfer = std::make_shared<Transfer>();
    transfer->AcceptTypes = AcceptTypes;
    transfer->Agent = Agent;
    transfer->URL = URL;
    transfer->FileName = FileName;
    transfer->UserName = UserName;
    transfer->Password = Password;
    transfer->PostQuery = PostQuery;
    transfer->Referer = Referer;
    transfer->BinaryData = BinaryData;
    transfer->UseCache = UseCache;
    transfer->maxSize = MaxSize;
    transfer->OnProgress = OnProgress;
    transfer->owner = this;
    m_transfer = transfer;
    std::thread([transfer, &http = m_http, &gui = m_gui] {
        THTTPGetThread(transfer, http, gui).Execute();
        // Judged on the GUI thread, where Abort and the component's end come: one that came
        // after the body ended still counts. What did not arrive leaves no file.
        gui.runAndWait([transfer] {
            if (transfer->stopRequested) {
                transfer->result = false;
            }
            if (!transfer->result && transfer->fileMade) {
                std::error_code ignored;
                std::filesystem::remove(transfer->FileName, ignored);
            }
            if (THTTPGet* owner = transfer->owner) {
                owner->ThreadDone(*transfer);
            }
        });
    }).detach();
    while (WaitThread && m_transfer == transfer) {
        m_gui.handlePending();
    }
}

void THTTPGet::Abort()
{
    if (m_transfer) {
        m_transfer->stopRequested = true;
    }
}

void THTTPGet::ThreadDone(const Transfer& transfer)
{
    // Forgotten first: a handler may start the next transfer.
    const std::shared_ptr<Transfer> done = std::move(m_transfer);
    if (transfer.result) {
        if (OnDoneFile) {
            OnDoneFile(*this, transfer.FileName, transfer.announcedLength);
        }
    } else if (OnError) {
        OnError(*this);
    }
}
