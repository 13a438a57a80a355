#pragma once

#include "core/ActivityLog.h"
#include "core/ExitServers.h"
#include "core/MainView.h"
#include "core/SettingsStore.h"
#include "core/WardenControl.h"
#include "platform/Host.h"
#include "service/ServiceHandshake.h"
#include "service/UpdateDownload.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The program without its window: the program-wide values, the settings, the activity log,
// the exit list, hiding and the service handshake, and what the main window's start-up,
// options, Exit and close do with them. What only a window can do goes through the view.
class Program
{
public:
    // `applicationFolder` is the executable's folder, ending in the separator.
    Program(platform::Host host, MainView& view, std::string executablePath, std::string applicationFolder);
    ~Program();

    // The service addresses the handshake asks, in order, instead of the built-in ones.
    // Set before InitMain.
    void setServiceAddresses(std::vector<std::string> addresses)
    {
        m_serviceAddresses = std::move(addresses);
    }

    // The whole start-up once the window exists: data folder, settings, log, hiding, the
    // skin and the options in the window, the tray, what an earlier run left changed, the
    // log's first lines and the handshake. False when the program has to end because its
    // data folder or its skin file is missing.
    bool InitMain();
    // The options page's OK: start-with-Windows and the bypass list saved; while hiding is
    // on, the proxy takes the edited list at once. Throws when the settings file cannot be
    // written.
    void applyOptions();
    // The Exit command: the browsers back to a direct connection, then the window closed.
    void Exit();
    // The end of the session: as Exit, without waiting on anybody.
    void QueryEndSession();
    // FormClose: the window is closing, so the program ends: "Closing..." logged if the log
    // takes it, and Warden ended.
    void FormClose();
    // The service handshake; runs at the end of the start-up.
    void SilentUpdate();

    // Program-wide values: the executable's, given; the rest set by the start-up.
    const std::string& executablePath() const { return m_executablePath; }
    const std::string& applicationFolder() const { return m_applicationFolder; }
    const std::string& dataFolder() const { return m_dataFolder; }
    const std::string& helpFile() const { return m_helpFile; }
    const std::string& skinFile() const { return m_skinFile; }
    const std::string& internalPort() const { return m_internalPort; }
    // Exist from the start-up on.
    const ActivityLog* activityLog() const { return m_log.get(); }
    ActivityLog* activityLog() { return m_log.get(); }
    WardenControl* warden() const { return m_warden.get(); }
    ExitServers& exitServers() { return m_exitServers; }

    // The addresses and files the window opens.
    std::string reportFile() const;
    UpdateDownload::Settings updateDownload() const;
    static std::string firewallHelpAddress();
    static std::string ipCheckSite();
    static std::string makerSite();
    static std::string contactAddress();

private:
    std::optional<SettingsStore::Snapshot> InitSettings();
    // Runs one step of the start-up; an error it raises is shown and the start-up goes on.
    template <typename Step> void shownOnError(Step&& step);

    platform::Host m_host;
    MainView& m_view;
    std::string m_executablePath;
    std::string m_applicationFolder;
    std::string m_dataFolder;
    std::string m_helpFile;
    std::string m_skinFile;
    std::string m_internalPort;
    std::vector<std::string> m_serviceAddresses;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<ActivityLog> m_log;
    ExitServers m_exitServers;
    std::unique_ptr<WardenControl> m_warden;
    std::unique_ptr<ServiceHandshake> m_handshake;
};
