#include "core/Program.h"

#include "core/BypassSettings.h"
#include "core/Global.h"
#include "core/HostQueries.h"
#include "core/ProxySwitchBoxes.h"
#include "nimbra/BuildConfig.h"
#include "proxy/FirefoxProfile.h"

#include <exception>
#include <iterator>

Program::Program(platform::Host host, MainView& view, std::string executablePath,
                 std::string applicationFolder)
    : m_host(host), m_view(view), m_executablePath(std::move(executablePath)),
      m_applicationFolder(std::move(applicationFolder)),
      m_serviceAddresses(std::begin(buildconfig::kServiceHosts), std::end(buildconfig::kServiceHosts))
{
}

Program::~Program() = default;

template <typename Step> void Program::shownOnError(Step&& step)
{
    try {
        std::forward<Step>(step)();
    } catch (const std::exception& error) {
        m_view.showError(error.what());
    }
}

bool Program::InitMain()
{
    // The start-up's one read of the settings file is let go before the handshake.
    {
        const std::optional<SettingsStore::Snapshot> settings = InitSettings();
        if (!settings) {
            return false;
        }
        if (!m_view.loadSkin(m_skinFile)) {
            // Without a skin there is nothing to draw the program's own box with.
            m_view.showError("Can not find Skin File");
            return false;
        }
        m_view.showOptions(IsStartWithWindows(m_host.autostart, global::kStartupEntryName),
                           bypass::read(*settings));
    }
    // The icon appears once the skin is known to be there, so a start that ends at once
    // leaves nothing behind in the notification area.
    m_view.showInTray();
    // A log that cannot be written is said by one box and passed over, so the start-up
    // goes on to the handshake; its lines stay for the log's next successful write.
    const ActivityLog::FailuresShownOnce logFailures(
        *m_log, [this](const std::string& error) { m_view.showError(error); });
    // A run that ended while hiding left the browsers pointed at a Warden that is gone: they
    // are switched back first, whatever else the start-up meets, and before anything is asked
    // of the service.
    shownOnError([this] {
        if (const std::optional<ProxySwitch::Report> restored = m_warden->proxySwitch().restoreEarlierRun()) {
            showSwitchReport(m_view, *restored);
        }
    });
    shownOnError([this] {
        m_log->report(global::kAppTitle);
        m_log->report(std::string("Version: ") + global::kVersion);
        m_log->report("OS: " + m_host.systemInfo.osName());
        m_log->report("Default Browser: " + GetDefaultBrowser(m_host.desktop));
        if (!GetFirefoxPrefsFile(m_host.folders).empty()) {
            m_log->report("Firefox: detected");
        }
        m_log->report("TimeZone: " + GetTimeZoneText(m_host.clock));
        SilentUpdate();
    });
    return true;
}

std::optional<SettingsStore::Snapshot> Program::InitSettings()
{
    m_dataFolder = GetAppDataFolder(m_host.folders) + global::kDataFolderName;
    if (!EnsureFolder(m_host.folders, m_dataFolder)) {
        // The skin has not been read yet, so this box shows without one.
        m_view.SkinMsgBox(global::kAppTitle, "Can not create Application Data Folder", MsgKind::Error,
                          MsgButton::Ok);
        return std::nullopt;
    }
    m_dataFolder = AddBackslash(m_dataFolder);
    m_settings = std::make_unique<SettingsStore>(m_dataFolder + global::kSettingsFileName);
    m_log = std::make_unique<ActivityLog>(m_host.clock, m_dataFolder + global::kReportFileName);
    m_helpFile = m_applicationFolder + platform::kHelpFile;
    // One read of the settings file for every value the start-up takes from it.
    SettingsStore::Snapshot settings = m_settings->snapshot();
    m_skinFile = settings.readString("Config", "Skin", m_applicationFolder + global::kSkinFileName);
    m_internalPort = settings.readString("Config", "InternalPort", global::kDefaultInternalPort);
    m_host.http.setOwnProxy(std::string(global::kWardenHost) + ":" + m_internalPort);
    m_warden =
        std::make_unique<WardenControl>(m_host, m_view, *m_log, m_exitServers,
                                        WardenControl::Settings{m_applicationFolder, m_internalPort,
                                                                m_dataFolder + global::kRestoreFileName});
    m_handshake = std::make_unique<ServiceHandshake>(
        m_host, m_view, *m_log, m_exitServers, *m_warden,
        ServiceHandshake::Settings{m_serviceAddresses, m_executablePath, global::kVersion,
                                   buildconfig::kCipherKey});
    return settings;
}

void Program::applyOptions()
{
    SetStartWithWindows(m_host.autostart, m_view.startWithWindows(), global::kStartupEntryName,
                        m_executablePath);
    bypass::write(*m_settings, m_view.bypassLines());
    // The edited bypass list takes effect at once while hiding is on.
    if (m_warden->hidingPhase() == HidingPhase::On) {
        m_warden->EnableProxy();
    }
}

void Program::Exit()
{
    // No tick may switch the proxy on again while a box of the switch off is open.
    m_view.setTimer(MainTimer::Read, false, WardenControl::kPollIntervalMs);
    m_view.setTimer(MainTimer::Reset, false, WardenControl::kResetIntervalMs);
    // What cannot be switched back is said, and never keeps the program from ending: every
    // later Exit would meet the same.
    if (m_warden) {
        showSwitchReport(m_view, m_warden->proxySwitch().SetProxy(false, "", ""));
    }
    m_view.closeWindow();
}

void Program::QueryEndSession()
{
    // The end of the session restores the browsers' settings as the Exit command does,
    // without waiting on anybody: the system ends the program soon after asking.
    m_view.beginClosing();
    Exit();
}

void Program::FormClose()
{
    // Closing never waits on a box: a log file that cannot be written now is passed over
    // (the line stays in memory), and so is a Warden that refuses to end, so the program
    // leaves however it is leaving.
    if (m_log) {
        try {
            m_log->report("Closing...");
        } catch (const std::exception&) {
        }
    }
    if (m_warden) {
        m_warden->Sweep();
    }
}

void Program::SilentUpdate()
{
    m_handshake->SilentUpdate();
}

std::string Program::reportFile() const
{
    return m_dataFolder + global::kReportFileName;
}

UpdateDownload::Settings Program::updateDownload() const
{
    return {std::string(buildconfig::kDownloadHost) + kUpdatePath, m_dataFolder + kUpdateFileName,
            buildconfig::kUpdatePublicKey};
}

std::string Program::firewallHelpAddress()
{
    return std::string(buildconfig::kFirewallHelpHost) + "/setup-firewall.htm";
}

std::string Program::ipCheckSite()
{
    return buildconfig::kIpCheckSite;
}

std::string Program::makerSite()
{
    return buildconfig::kMakerSite;
}

std::string Program::contactAddress()
{
    return std::string(buildconfig::kContactHost) + "/contact.php";
}
