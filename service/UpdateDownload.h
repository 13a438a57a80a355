#pragma once

#include "platform/Host.h"
#include "service/HttpGet.h"

#include <functional>
#include <string>

// Where the new version is offered below the download host, and the name it is saved under
// in the data folder (the same name on every system: the service and the installer use it).
inline constexpr const char* kUpdatePath = "/download/nimbra.exe";
inline constexpr const char* kUpdateFileName = "nimbra-update.exe";
// The detached signature lies beside the file, on the server and on disk, with this ending.
inline constexpr const char* kSignatureSuffix = ".sig";

// The self-update: downloads the new version, fetches its signature, verifies it against the
// built-in key and only then starts it. Events arrive on the GUI thread. An update that
// fails at any step, or ends before it is verified, leaves neither file in the folder.
class UpdateDownload
{
public:
    struct Settings
    {
        std::string url;                // the new version's address; its signature's is url + ".sig"
        std::string fileName;           // where it is saved; its signature beside it, + ".sig"
        std::string publicKey;          // Ed25519, 64 hex digits
        int maxSize = kMaxDownloadSize; // the most bytes the new version may have
    };
    using TOnProgressEvent = std::function<void(int TotalSize, int Readed)>;
    using TNotifyEvent = std::function<void()>;

    UpdateDownload(platform::Http& http, platform::Desktop& desktop, GuiThread& gui, Settings settings);
    ~UpdateDownload();

    // Bytes of the new version announced and received so far.
    TOnProgressEvent OnProgress;
    // Any failure: download, signature or start. Nothing has been started.
    TNotifyEvent OnError;
    // The verified new version has been started: the program is to end now.
    TNotifyEvent OnStarted;

    // Starts the download; nothing while one runs.
    void GetFile();

    THTTPGet HTTPGetFile;
    THTTPGet HTTPGetSignature;

private:
    void HTTPGetFileDoneFile();
    void HTTPGetSignatureDoneFile();
    void failed();
    std::string signatureFile() const { return m_settings.fileName + kSignatureSuffix; }

    platform::Desktop& m_desktop;
    Settings m_settings;
};
