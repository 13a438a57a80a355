#pragma once

#include "core/ActivityLog.h"
#include "core/ExitServers.h"
#include "core/MainView.h"
#include "core/SettingsStore.h"
#include "core/WardenControl.h"
#include "platform/Host.h"
#include "service/ServiceHandshake.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TfrmMain;
}
class QAction;
class QMenu;
class QTimer;
class TrayIcon;

// The main window: it owns the program-wide state, the tray icon with its menu, and
// doubles as the options window (pages General, Bypass and About).
class TfrmMain : public QWidget, public MainView
{
    Q_OBJECT
public:
    explicit TfrmMain(platform::Host host, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The service addresses the handshake asks, in order, instead of the built-in ones.
    // Set before InitMain.
    void setServiceAddresses(std::vector<std::string> addresses)
    {
        m_serviceAddresses = std::move(addresses);
    }
    // The window has closed or is closing: the program is ending.
    bool isClosing() const { return m_closing; }

    // The whole start-up after the windows exist. False when the program has to end
    // because its data folder or its skin file is missing.
    bool InitMain();
    // Its steps: InitSettings reads the settings file once (nothing when the program has to
    // end), and the interface takes its values from that same read.
    std::optional<SettingsStore::Snapshot> InitSettings();
    bool InitInterface(const SettingsStore::Snapshot& settings);
    void LoadOptions(const SettingsStore::Snapshot& settings);
    void SaveOptions();

    // Writes one line to the activity log; throws when the log file cannot be written.
    void Report(const std::string& message);

    // The service handshake; runs at the end of the start-up.
    void SilentUpdate();
    // Points the browsers at a proxy (enable) or back to a direct connection.
    void SetProxy(bool enable, const std::string& proxyAddress, const std::string& bypassList);

    // MainView: the program's message box, passed over (answered Cancel) while the program
    // closes; the tray status; the timers; the dialogs; the bypass memo's lines.
    MsgResult SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                         std::uint16_t buttons) override;
    void showStatus(const TrayStatus& status) override;
    void setTimer(MainTimer timer, bool enabled, int intervalMs) override;
    void ShowUnblock(UnblockReason reason) override;
    void ShowIPSelection(bool openedByHandshake) override;
    void ShowUpdate() override;
    void setDiruDOEnabled(bool enabled) override;
    std::vector<std::string> bypassLines() const override;

    // Hiding: Warden, its messages and the tray status; exists from InitSettings on.
    WardenControl* warden() const { return m_warden.get(); }
    ExitServers& exitServers() { return m_exitServers; }
    // Ends Warden and releases its handles.
    void Sweep();

    // Handlers of the tray menu, the timers, the buttons, the links and the title bar.
    void DiruDO1Click();
    void StopDiruDO1Click();
    void timReadTimer();
    void timResetTimer();
    void Exit1Click();
    void QueryEndSession();
    void Options1Click();
    void About1Click();
    void Report1Click();
    void Help1Click();
    void SeeMyIP1Click();
    void SelectIP1Click();
    void btnOKClick();
    void suiButton1Click();
    void suiMainTitleBarHelpBtnClick();
    void suiMainTitleBarMenuBtnClick();
    void ulbWebsiteClick();
    void ulbContactUsClick();
    void ulbSeeMyIPClick();
    void ctiControlStartup(bool& showMainForm);

    // Program-wide values, set by InitSettings.
    const std::string& executablePath() const { return m_executablePath; }
    const std::string& applicationFolder() const { return m_applicationFolder; }
    const std::string& dataFolder() const { return m_dataFolder; }
    const std::string& helpFile() const { return m_helpFile; }
    const std::string& skinFile() const { return m_skinFile; }
    const std::string& internalPort() const { return m_internalPort; }
    const ActivityLog* activityLog() const { return m_log.get(); }

    // The form's controls and components, for the program and its tests.
    Ui::TfrmMain* form() const { return m_ui.get(); }
    TrayIcon* ctiControl() const { return m_tray; }
    QMenu* ppmMain() const { return m_menu; }
    QTimer* timRead = nullptr;
    QTimer* timReset = nullptr;
    QAction* DiruDO1 = nullptr;
    QAction* StopDiruDO1 = nullptr;
    QAction* SelectIP1 = nullptr;
    QAction* SeeMyIP1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* Report1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Exit1 = nullptr;

signals:
    // The main window has closed: the program ends.
    void closed();

protected:
    // FormClose: runs whenever the main window closes.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void connectHandlers();
    QAction* addMenuItem(const char* caption, void (TfrmMain::*handler)());
    void centreAppName();

    platform::Host m_host;
    std::unique_ptr<Ui::TfrmMain> m_ui;
    TrayIcon* m_tray = nullptr;
    QMenu* m_menu = nullptr;
    bool m_centred = false;
    // The window is closing, or the session ending: nothing may wait for a person.
    bool m_closing = false;

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
