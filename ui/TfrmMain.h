#pragma once

#include "core/MainView.h"
#include "core/Program.h"
#include "platform/Host.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TfrmMain;
}
class QAction;
class QMenu;
class QSocketNotifier;
class QTimer;
class TrayIcon;

// The main window: the tray icon with its menu, the two timers, and the options window
// (pages General, Bypass and About). The program behind it is a Program, which its
// handlers call.
class TfrmMain : public QWidget, public MainView
{
    Q_OBJECT
public:
    explicit TfrmMain(platform::Host host, QWidget* parent = nullptr);
    ~TfrmMain() override;

    Program& program() { return m_program; }
    // The window has closed or is closing: the program is ending.
    bool isClosing() const { return m_closing; }

    // MainView: the program's message box, passed over (answered Cancel) while the program
    // closes; the tray status; the timers and Warden's output; the dialogs; the options
    // page; the skin.
    MsgResult SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                         std::uint16_t buttons) override;
    void showStatus(const TrayStatus& status) override;
    void setTimer(MainTimer timer, bool enabled, int intervalMs) override;
    void watchWardenOutput(std::optional<int> descriptor) override;
    void ShowUnblock(UnblockReason reason) override;
    void ShowIPSelection(bool openedByHandshake) override;
    void ShowUpdate() override;
    void setDiruDOEnabled(bool enabled) override;
    std::vector<std::string> bypassLines() const override;
    bool startWithWindows() const override;
    void showOptions(bool startWithWindows, const std::vector<std::string>& bypass) override;
    bool loadSkin(const std::string& skinFile) override;
    void showInTray() override;
    void showError(const std::string& text) override;
    void beginClosing() override;
    void closeWindow() override;

    // Handlers of the tray menu, the timers, the buttons, the links and the title bar.
    void DiruDO1Click();
    void StopDiruDO1Click();
    void timReadTimer();
    void wardenOutputReady();
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
    // Watches Warden's output while timRead is on.
    QSocketNotifier* m_wardenOutput = nullptr;
    bool m_centred = false;
    // The window is closing, or the session ending: nothing may wait for a person.
    bool m_closing = false;

    Program m_program;
};
