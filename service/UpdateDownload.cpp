#include "service/UpdateDownload.h"

#include "service/HttpGetText.h"
#include "service/UpdateSignature.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// Both transfers as the download server expects them: raw data of a stated length, never
// from a cache.
void configure(THTTPGet& get)
{
    get.AcceptTypes = "*/*";
    get.Agent = kServiceAgent;
    get.BinaryData = true;
    get.UseCache = false;
    get.WaitThread = false;
}

// Up to one byte more than a signature holds, so that a longer file is told from a
// signature.
std::string signatureText(const std::string& path)
{
    std::string text(kUpdateSignatureSize + 1, '\0');
    std::ifstream file(path, std::ios::binary);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

void removeFile(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

} // namespace

UpdateDownload::UpdateDownload(platform::Http& http, platform::Desktop& desktop, GuiThread& gui,
                               Settings settings)
    : HTTPGetFile(http, gui), HTTPGetSignature(http, gui), m_desktop(desktop), m_settings(std::move(settings))
{
    configure(HTTPGetFile);
    configure(HTTPGetSignature);
    HTTPGetFile.MaxSize = m_settings.maxSize;
    // Anything longer is no signature.
    HTTPGetSignature.MaxSize = static_cast<int>(kUpdateSignatureSize);
    HTTPGetFile.OnProgress = [this](THTTPGet&, int total, int readed) {
        if (OnProgress) {
            OnProgress(total, readed);
        }
    };
    HTTPGetFile.OnDoneFile = [this](THTTPGet&, const std::string&, int) { HTTPGetFileDoneFile(); };
    HTTPGetFile.OnError = [this](THTTPGet&) { failed(); };
    HTTPGetSignature.OnDoneFile = [this](THTTPGet&, const std::string&, int) { HTTPGetSignatureDoneFile(); };
    HTTPGetSignature.OnError = [this](THTTPGet&) { failed(); };
}

UpdateDownload::~UpdateDownload()
{
    // Ended while the signature comes: the new version, though complete, was never verified.
    // A transfer still under way removes its own file.
    if (HTTPGetSignature.transferring()) {
        removeFile(m_settings.fileName);
    }
}

void UpdateDownload::GetFile()
{
    if (HTTPGetFile.transferring() || HTTPGetSignature.transferring()) {
        return;
    }
    HTTPGetFile.URL = m_settings.url;
    HTTPGetFile.FileName = m_settings.fileName;
    HTTPGetFile.GetFile();
}

void UpdateDownload::HTTPGetFileDoneFile()
{
    HTTPGetSignature.URL = m_settings.url + kSignatureSuffix;
    HTTPGetSignature.FileName = signatureFile();
    HTTPGetSignature.GetFile();
}

void UpdateDownload::HTTPGetSignatureDoneFile()
{
    const std::string signature = signatureText(signatureFile());
    removeFile(signatureFile());
    // A program that could not be started must not end this one: the user would be left
    // with neither.
    if (!verifyUpdateSignature(m_settings.fileName, signature, m_settings.publicKey) ||
        !m_desktop.startProgram(m_settings.fileName)) {
        failed();
        return;
    }
    if (OnStarted) {
        OnStarted();
    }
}

void UpdateDownload::failed()
{
    // Nothing of an update that did not start stays in the data folder.
    removeFile(signatureFile());
    removeFile(m_settings.fileName);
    if (OnError) {
        OnError();
    }
}
