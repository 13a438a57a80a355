#include "tests/support/FakeHost.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

bool FakeFolders::folderExists(const std::string& path) const
{
    std::error_code failed;
    return std::filesystem::is_directory(path, failed);
}

bool FakeFolders::createFolder(const std::string& path)
{
    // create_directory makes one level only, as the real one does.
    std::error_code failed;
    return !failCreateFolder && std::filesystem::create_directory(path, failed);
}

bool FakeFolders::fileExists(const std::string& path) const
{
    std::error_code failed;
    return std::filesystem::is_regular_file(path, failed) ||
           std::find(presentFiles.begin(), presentFiles.end(), path) != presentFiles.end();
}

bool FakeAutostart::isEnabled(const std::string& name) const
{
    const auto entry = entries.find(name);
    return entry != entries.end() && !entry->second.empty();
}

void FakeAutostart::setEnabled(bool enable, const std::string& name, const std::string& command)
{
    if (enable) {
        entries[name] = command;
    } else {
        entries.erase(name);
    }
}

std::optional<std::vector<std::string>> FakeSystemProxy::activeDialUpConnections()
{
    calls.push_back("list");
    return connections;
}

bool FakeSystemProxy::setOptions(const std::optional<std::string>& connection, const Options& options)
{
    calls.push_back("options " + connection.value_or("(default)") + " " + std::to_string(options.flags) +
                    " " + options.server + " " + options.bypass.value_or("(keep)"));
    if (acceptOptions) {
        const bool through = options.flags == kThroughProxy;
        settings["mode"] = through ? "manual" : "none";
        settings["server"] = options.server;
        if (options.bypass) {
            settings["bypass"] = *options.bypass;
        }
        if (through && settings.count("http")) {
            settings["http"] = "";
        }
    }
    return acceptOptions;
}

bool FakeSystemProxy::restoreSettings(const std::map<std::string, std::string>& restored)
{
    std::string list;
    for (const auto& [name, value] : restored) {
        list += (list.empty() ? "" : ",") + name + "=" + value;
    }
    calls.push_back("restore " + list);
    if (!failRestore) {
        for (const auto& [name, value] : restored) {
            settings[name] = value;
        }
    }
    return !failRestore;
}

namespace {

class ScriptedChild : public platform::ChildProcess
{
public:
    explicit ScriptedChild(std::shared_ptr<ChildScript> script) : m_script(std::move(script)) {}
    ~ScriptedChild() override { m_script->released = true; }

    bool isRunning() override { return m_script->running; }
    std::optional<int> outputDescriptor() const override { return m_script->descriptor; }
    std::optional<std::size_t> bytesWaiting() override { return m_script->output.size(); }
    std::size_t read(char* buffer, std::size_t size) override
    {
        const std::size_t n = std::min(size, m_script->output.size());
        std::copy_n(m_script->output.begin(), n, buffer);
        m_script->output.erase(0, n);
        return n;
    }
    bool terminate() override
    {
        if (m_script->refuseTermination) {
            return false;
        }
        m_script->terminated = true;
        m_script->running = false;
        return true;
    }

private:
    std::shared_ptr<ChildScript> m_script;
};

} // namespace

std::unique_ptr<platform::ChildProcess> FakeChildProcesses::start(const std::string& program,
                                                                  const std::vector<std::string>& arguments)
{
    starts.push_back({program, arguments});
    if (failStart) {
        return nullptr;
    }
    children.push_back(std::make_shared<ChildScript>());
    children.back()->descriptor = descriptor;
    return std::make_unique<ScriptedChild>(children.back());
}

namespace {

// A fetched body, handed out in the pieces asked for.
class FakeBody : public platform::HttpBody
{
public:
    explicit FakeBody(std::string text) : m_text(std::move(text)) {}
    std::size_t read(char* buffer, std::size_t size) override
    {
        const std::size_t n = m_text.copy(buffer, size, m_at);
        m_at += n;
        return n;
    }

private:
    std::string m_text;
    std::size_t m_at = 0;
};

class FakeHttpSession : public platform::HttpSession
{
public:
    explicit FakeHttpSession(FakeHttp& http) : m_http(http) {}
    std::unique_ptr<platform::HttpBody> openUrl(const std::string& url) override
    {
        m_http.fetched.push_back(url);
        if (m_http.onFetch) {
            m_http.onFetch(url);
        }
        const auto found = m_http.bodies.find(url);
        if (found == m_http.bodies.end()) {
            return nullptr;
        }
        return std::make_unique<FakeBody>(found->second);
    }
    std::unique_ptr<platform::HttpConnection> connect(const std::string&, int, const std::string&,
                                                      const std::string&) override
    {
        return nullptr;
    }

private:
    FakeHttp& m_http;
};

} // namespace

std::unique_ptr<platform::HttpSession> FakeHttp::open(const std::string&)
{
    return std::make_unique<FakeHttpSession>(*this);
}
