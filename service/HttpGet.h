#pragma once

#include "platform/Http.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

// How the download component reaches the GUI thread. Its worker hands each event over and
// waits until it has run there; a GetFile that waits for its transfer keeps the GUI thread
// handling what comes meanwhile. It must outlive every transfer.
class GuiThread
{
public:
    virtual ~GuiThread() = default;
    // From a worker: runs `call` on the GUI thread and returns once it has run.
    virtual void runAndWait(const std::function<void()>& call) = 0;
    // On the GUI thread: handles what is waiting for it, after waiting for something to come.
    virtual void handlePending() = 0;
};

// An address "http://host/path" in its parts: the scheme dropped in any letter case, the
// host up to the first "/", the path from it on. Without a "/", the host is empty and the
// path is all that is left.
struct SplitUrl
{
    std::string host;
    std::string path;
};
SplitUrl SplitURL(const std::string& url);

// A host written with a port ("host:8369") as the name and the port; 80 when none is
// written.
std::pair<std::string, int> hostAndPort(const std::string& host);

// The most a download may bring unless its component is given another limit.
inline constexpr int kMaxDownloadSize = 256 * 1024 * 1024;

// Downloads one address into a file on a worker of its own, and reports progress, arrival
// and failure as events on the GUI thread. One transfer at a time.
class THTTPGet
{
public:
    using TOnProgressEvent = std::function<void(THTTPGet& sender, int TotalSize, int Readed)>;
    using TOnDoneFileEvent = std::function<void(THTTPGet& sender, const std::string& FileName, int FileSize)>;
    using TNotifyEvent = std::function<void(THTTPGet& sender)>;

    THTTPGet(platform::Http& http, GuiThread& gui);
    // Aborts a transfer that runs, and its file goes; none of its events reaches the
    // component afterwards.
    ~THTTPGet();
    THTTPGet(const THTTPGet&) = delete;
    THTTPGet& operator=(const THTTPGet&) = delete;

    std::string AcceptTypes = "*/*";
    std::string Agent = "Quillon HTTPGet";
    // The body is raw data: a download whose length the server does not state is refused.
    bool BinaryData = false;
    // The most bytes a body may have: one announced longer is refused before a byte is
    // taken, one longer than announced or than this fails as it passes.
    int MaxSize = kMaxDownloadSize;
    std::string URL;
    bool UseCache = false;
    // Replaced by each transfer that gets as far as writing: whatever is at the name, a link
    // included, is removed first, never followed. A transfer that does not arrive whole (a
    // failure, an error status, Abort) removes the file it made.
    std::string FileName;
    std::string UserName;
    std::string Password;
    // When not empty, the request is a POST with this form-encoded body.
    std::string PostQuery;
    std::string Referer;
    // GetFile returns only when the transfer has ended.
    bool WaitThread = false;
    TOnProgressEvent OnProgress;
    TOnDoneFileEvent OnDoneFile;
    TNotifyEvent OnError;

    // Starts a transfer of URL into FileName; nothing while one runs.
    void GetFile();
    // Stops a running transfer at its next check; it ends in OnError, also when its body
    // had already ended but its end had not yet been handled.
    void Abort();
    bool transferring() const { return m_transfer != nullptr; }

    // What one transfer works on: its own copies, shared with its worker.
    struct Transfer;

private:
    void ThreadDone(const Transfer& transfer);

    platform::Http& m_http;
    GuiThread& m_gui;
    std::shared_ptr<Transfer> m_transfer;
};
