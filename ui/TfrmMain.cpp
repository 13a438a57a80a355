#include "ui/TfrmMain.h"

#include "core/BypassSettings.h"
#include "core/ExitChoice.h"
#include "core/Global.h"
#include "ui/HandlerGuard.h"
#include "core/MemoLines.h"
#include "nimbra/BuildConfig.h"
#include "proxy/FirefoxProfile.h"
#include "core/HostQueries.h"
#include "skin/Icons.h"
#include "skin/Skin.h"
#include "skin/TrayIcon.h"
#include "ui/CentreOnScreen.h"
#include "ui/SkinMsgBox.h"
#include "ui/TfrmSelectIP.h"
#include "ui/TfrmUnblock.h"
#include "ui/TfrmUpdate.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

namespace {

QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text);
}

std::string bytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

} // namespace

TfrmMain::TfrmMain(platform::Host host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_host(host),
      m_ui(std::make_unique<Ui::TfrmMain>()),
      m_serviceAddresses(std::begin(buildconfig::kServiceHosts), std::end(buildconfig::kServiceHosts))
{
    m_ui->setupUi(this);
    setWindowIcon(skin::programIcon());
    m_ui->suiMain->setButtons(SkinTitleBar::WindowMenuButton | SkinTitleBar::HelpButton);
    m_ui->Label1->setText(QString::fromUtf8(buildconfig::kMakerName));
    m_ui->ulbWebsite->setText(QString::fromUtf8(buildconfig::kMakerSite));
    m_ui->ulbWebsite->setUrl(QString::fromUtf8(buildconfig::kMakerSite));
    m_ui->ulbContactUs->setUrl(QString::fromUtf8(buildconfig::kContactHost) + QStringLiteral("/contact.php"));
    m_ui->ulbSeeMyIP->setText(QStringLiteral("SEE my IP - ") + QString::fromUtf8(buildconfig::kIpCheckName));
    m_ui->ulbSeeMyIP->setUrl(QString::fromUtf8(buildconfig::kIpCheckSite));

    m_ui->tstAbout->installEventFilter(this);

    createMenu();
    m_tray = new TrayIcon(this);
    m_tray->setImageList({skin::programIcon()});
    m_tray->setIconIndex(0);
    m_tray->setHint(QStringLiteral("Corvane"));
    m_tray->setPopupMenu(m_menu);
    m_tray->setMinimizeToTray(true);
    timRead = new QTimer(this);
    timReset = new QTimer(this);
    connectHandlers();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::createMenu()
{
    m_menu = new QMenu(this);
    DiruDO1 = addMenuItem("&Diru DO", &TfrmMain::DiruDO1Click);
    StopDiruDO1 = addMenuItem("&Stop Diru DO", &TfrmMain::StopDiruDO1Click);
    SelectIP1 = addMenuItem("Select I&P", &TfrmMain::SelectIP1Click);
    SeeMyIP1 = addMenuItem("SEE my &IP...", &TfrmMain::SeeMyIP1Click);
    Options1 = addMenuItem("&Options...", &TfrmMain::Options1Click);
    Report1 = addMenuItem("&Report...", &TfrmMain::Report1Click);
    Help1 = addMenuItem("Hel&p...", &TfrmMain::Help1Click);
    About1 = addMenuItem("&About...", &TfrmMain::About1Click);
    Exit1 = addMenuItem("&Exit", &TfrmMain::Exit1Click);
    DiruDO1->setEnabled(false);
    StopDiruDO1->setEnabled(false);
    // The report stays a command of the program but is not offered in the menu.
    Report1->setVisible(false);
}

QAction* TfrmMain::addMenuItem(const char* caption, void (TfrmMain::*handler)())
{
    QAction* item = m_menu->addAction(QString::fromLatin1(caption));
    connect(item, &QAction::triggered, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    return item;
}

void TfrmMain::connectHandlers()
{
    const auto on = [this](auto* sender, auto signal, void (TfrmMain::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(m_ui->btnOK, &QPushButton::clicked, &TfrmMain::btnOKClick);
    on(m_ui->suiButton1, &QPushButton::clicked, &TfrmMain::suiButton1Click);
    on(m_ui->suiMain, &SkinTitleBar::helpClicked, &TfrmMain::suiMainTitleBarHelpBtnClick);
    on(m_ui->suiMain, &SkinTitleBar::windowMenuClicked, &TfrmMain::suiMainTitleBarMenuBtnClick);
    on(m_ui->ulbWebsite, &LinkLabel::clicked, &TfrmMain::ulbWebsiteClick);
    on(m_ui->ulbContactUs, &LinkLabel::clicked, &TfrmMain::ulbContactUsClick);
    on(m_ui->ulbSeeMyIP, &LinkLabel::clicked, &TfrmMain::ulbSeeMyIPClick);
    on(timRead, &QTimer::timeout, &TfrmMain::timReadTimer);
    on(timReset, &QTimer::timeout, &TfrmMain::timResetTimer);
    connect(m_tray, &TrayIcon::startup, this,
            [this](bool& show) { guarded([&] { ctiControlStartup(show); }); });
}

bool TfrmMain::InitMain()
{
    // The start-up's one read of the settings file is let go before the handshake.
    if (const std::optional<SettingsStore::Snapshot> settings = InitSettings();
        !settings || !InitInterface(*settings)) {
        return false;
    }
    // The icon appears once the skin is known to be there, so a start that ends at once
    // leaves nothing behind in the notification area.
    m_tray->start();
    // A log that cannot be written is said by one box and passed over, so the start-up
    // goes on to the handshake; its lines stay for the log's next successful write.
    const ActivityLog::FailuresShownOnce logFailures(*m_log, [this](const std::string& error) {
        if (!m_closing) {
            showHandlerError(qs(error));
        }
    });
    // A run that ended while hiding left the browsers pointed at a Warden that is gone: they
    // are switched back first, whatever else the start-up meets, and before anything is asked
    // of the service.
    guarded([this] { m_warden->proxySwitch().restoreEarlierRun(); });
    guarded([this] {
        Report(global::kAppTitle);
        Report(std::string("Version: ") + global::kVersion);
        Report("OS: " + m_host.systemInfo.osName());
        Report("Default Browser: " + GetDefaultBrowser(m_host.desktop));
        if (!GetFirefoxPrefsFile(m_host.folders).empty()) {
            Report("Firefox: detected");
        }
        Report("TimeZone: " + GetTimeZoneText(m_host.clock));
        SilentUpdate();
    });
    return true;
}

std::optional<SettingsStore::Snapshot> TfrmMain::InitSettings()
{
    m_executablePath = bytes(QCoreApplication::applicationFilePath());
    m_applicationFolder = AddBackslash(bytes(QFileInfo(qs(m_executablePath)).absolutePath()));

    m_dataFolder = GetAppDataFolder(m_host.folders) + global::kDataFolderName;
    if (!EnsureFolder(m_host.folders, m_dataFolder)) {
        // The skin has not been read yet, so this box shows without one.
        ::SkinMsgBox(qs(global::kAppTitle), QStringLiteral("Can not create Application Data Folder"),
                     MsgKind::Error, MsgButton::Ok);
        return std::nullopt;
    }
    m_dataFolder = AddBackslash(m_dataFolder);
    m_settings = std::make_unique<SettingsStore>(m_dataFolder + global::kSettingsFileName);
    QCoreApplication::setApplicationName(qs(global::kAppTitle));
    m_log = std::make_unique<ActivityLog>(m_host.clock, m_dataFolder + global::kReportFileName);
    m_helpFile = m_applicationFolder + platform::kHelpFile;
    // One read of the settings file for every value the start-up takes from it.
    SettingsStore::Snapshot settings = m_settings->snapshot();
    m_skinFile = settings.readString("Config", "Skin", m_applicationFolder + global::kSkinFileName);
    m_internalPort = settings.readString("Config", "InternalPort", global::kDefaultInternalPort);
    m_host.http.setOwnProxy(std::string(global::kWardenHost) + ":" + m_internalPort);
    m_warden =
        std::make_unique<WardenControl>(m_host, *this, *m_log, m_exitServers,
                                        WardenControl::Settings{m_applicationFolder, m_internalPort,
                                                                m_dataFolder + global::kRestoreFileName});
    m_handshake = std::make_unique<ServiceHandshake>(
        m_host, *this, *m_log, m_exitServers, *m_warden,
        ServiceHandshake::Settings{m_serviceAddresses, m_executablePath, global::kVersion,
                                   buildconfig::kCipherKey});
    return settings;
}

bool TfrmMain::InitInterface(const SettingsStore::Snapshot& settings)
{
    if (!skin::loadSkin(this, qs(m_skinFile))) {
        // Without a skin there is nothing to draw the program's own box with.
        QMessageBox::critical(nullptr, qs(global::kAppTitle), QStringLiteral("Can not find Skin File"));
        return false;
    }
    setMsgBoxSkinFile(qs(m_skinFile));
    m_ui->lblAppName->setText(qs(global::kAppTitle) + QLatin1Char(' ') +
                              QString::fromLatin1(global::kVersion));
    centreAppName();
    m_ui->suiMain->setCaption(qs(global::kAppTitle));
    LoadOptions(settings);
    return true;
}

void TfrmMain::centreAppName()
{
    m_ui->lblAppName->adjustSize();
    m_ui->lblAppName->move((m_ui->tstAbout->width() - m_ui->lblAppName->width()) / 2, m_ui->lblAppName->y());
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // A hidden tab widget lays out its pages only when it first shows, so the About page
    // gets its real width then; the name is centred again on every change of it.
    if (watched == m_ui->tstAbout && event->type() == QEvent::Resize) {
        centreAppName();
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::LoadOptions(const SettingsStore::Snapshot& settings)
{
    m_ui->chkStartWithWindows->setChecked(IsStartWithWindows(m_host.autostart, global::kStartupEntryName));
    m_ui->memBypass->clear();
    m_ui->memBypass->setPlainText(qs(memoText(bypass::read(settings))));
}

void TfrmMain::SaveOptions()
{
    SetStartWithWindows(m_host.autostart, m_ui->chkStartWithWindows->isChecked(), global::kStartupEntryName,
                        m_executablePath);
    bypass::write(*m_settings, memoLines(bytes(m_ui->memBypass->toPlainText())));
}

void TfrmMain::Report(const std::string& message)
{
    m_log->report(message);
}

void TfrmMain::SilentUpdate()
{
    m_handshake->SilentUpdate();
}

void TfrmMain::SetProxy(bool enable, const std::string& proxyAddress, const std::string& bypassList)
{
    if (m_warden) {
        m_warden->proxySwitch().SetProxy(enable, proxyAddress, bypassList);
    }
}

MsgResult TfrmMain::SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                               std::uint16_t buttons)
{
    if (m_closing) {
        return MsgResult::Cancel;
    }
    return ::SkinMsgBox(qs(caption), qs(text), kind, buttons);
}

void TfrmMain::Sweep()
{
    if (m_warden) {
        m_warden->Sweep();
    }
}

void TfrmMain::showStatus(const TrayStatus& status)
{
    if (status.kind == DiruDOStatus::Busy) {
        m_tray->setImageList(skin::busyFrames());
        m_tray->setAnimate(true);
    } else {
        m_tray->setImageList(skin::statusIcons());
        m_tray->setIconIndex(status.kind == DiruDOStatus::On ? 0 : 1);
        m_tray->setAnimate(false);
    }
    m_tray->setHint(qs(status.hint));
    m_tray->showBalloon(qs(status.balloonTitle), qs(status.balloonText), status.balloonIcon,
                        status.balloonMs);
    if (status.diruDOEnabled) {
        DiruDO1->setEnabled(*status.diruDOEnabled);
    }
    if (status.stopDiruDOEnabled) {
        StopDiruDO1->setEnabled(*status.stopDiruDOEnabled);
    }
}

void TfrmMain::setTimer(MainTimer timer, bool enabled, int intervalMs)
{
    QTimer* which = timer == MainTimer::Read ? timRead : timReset;
    which->setInterval(intervalMs);
    if (enabled) {
        which->start();
    } else {
        which->stop();
    }
}

void TfrmMain::ShowUnblock(UnblockReason reason)
{
    // Like the boxes, no dialog waits for a person while the program closes.
    if (m_closing) {
        return;
    }
    ::showUnblock(
        reason, m_applicationFolder, qs(m_skinFile),
        [this] {
            OpenURL(m_host.desktop, std::string(buildconfig::kFirewallHelpHost) + "/setup-firewall.htm");
        },
        [this] { SilentUpdate(); });
}

void TfrmMain::ShowIPSelection(bool openedByHandshake)
{
    if (m_closing) {
        return;
    }
    const std::vector<std::string> lines = ipSelectionLines(m_exitServers);
    ::showIPSelection(lines, preselectedLine(m_exitServers, lines.size()), openedByHandshake, qs(m_skinFile),
                      [this](int line) { chooseExit(m_exitServers, line, *m_log, *m_warden); });
}

void TfrmMain::ShowUpdate()
{
    if (m_closing) {
        return;
    }
    // Once the verified new version runs this one ends, as if its window were closed.
    ::showUpdate(
        m_host.http, m_host.desktop,
        {std::string(buildconfig::kDownloadHost) + kUpdatePath, m_dataFolder + kUpdateFileName,
         buildconfig::kUpdatePublicKey},
        [this] { close(); }, qs(m_skinFile));
}

void TfrmMain::setDiruDOEnabled(bool enabled)
{
    DiruDO1->setEnabled(enabled);
}

std::vector<std::string> TfrmMain::bypassLines() const
{
    return memoLines(bytes(m_ui->memBypass->toPlainText()));
}

void TfrmMain::DiruDO1Click()
{
    m_warden->DiruDO1Click();
}

void TfrmMain::StopDiruDO1Click()
{
    m_warden->StopDiruDO1Click();
}

void TfrmMain::timReadTimer()
{
    m_warden->timReadTimer();
}

void TfrmMain::timResetTimer()
{
    m_warden->timResetTimer();
}

void TfrmMain::Exit1Click()
{
    // No tick may switch the proxy on again while a box of the switch off is open.
    setTimer(MainTimer::Read, false, WardenControl::kPollIntervalMs);
    setTimer(MainTimer::Reset, false, WardenControl::kResetIntervalMs);
    // A browser setting that cannot be switched back is shown, but never keeps the
    // program from ending: every later Exit would fail the same way.
    try {
        SetProxy(false, "", "");
    } catch (const std::exception& error) {
        if (!m_closing) {
            showHandlerError(QString::fromLocal8Bit(error.what()));
        }
    }
    close();
}

void TfrmMain::QueryEndSession()
{
    // The end of the session restores the browsers' settings as the Exit command does,
    // without waiting on anybody: the system ends the program soon after asking.
    m_closing = true;
    Exit1Click();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Closing never waits on a box: a log file that cannot be written now is passed over
    // (the line stays in memory), and so is a Warden that refuses to end, so the program
    // leaves however it is leaving.
    m_closing = true;
    // A dialog open when the end comes (the start-up's handshake waits on its dialogs) is
    // ended, so the code that opened it runs to its end and the program can leave.
    for (QWidget* modal = QApplication::activeModalWidget(); auto* dialog = qobject_cast<QDialog*>(modal);
         modal = QApplication::activeModalWidget()) {
        dialog->done(QDialog::Rejected);
        if (QApplication::activeModalWidget() == modal) {
            break;
        }
    }
    if (m_log) {
        try {
            Report("Closing...");
        } catch (const std::exception&) {
        }
    }
    Sweep();
    event->accept();
    emit closed();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    // The window opens centred on the desktop the first time it shows, whoever shows it:
    // the Options and About commands, or the start-up on a desktop without a tray.
    if (!m_centred) {
        centreOnScreen(*this);
        m_centred = true;
    }
    QWidget::showEvent(event);
}

void TfrmMain::Options1Click()
{
    m_tray->showMainForm();
}

void TfrmMain::About1Click()
{
    m_ui->pclMain->setCurrentWidget(m_ui->tstAbout);
    m_tray->showMainForm();
}

void TfrmMain::Report1Click()
{
    m_host.desktop.shellOpen(m_dataFolder + global::kReportFileName);
}

void TfrmMain::Help1Click()
{
    m_host.desktop.shellOpen(m_helpFile);
}

void TfrmMain::suiMainTitleBarHelpBtnClick()
{
    Help1Click();
}

void TfrmMain::suiMainTitleBarMenuBtnClick()
{
    const QToolButton* button = m_ui->suiMain->button(SkinTitleBar::WindowMenuButton);
    m_menu->popup(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
}

void TfrmMain::SeeMyIP1Click()
{
    OpenURL(m_host.desktop, buildconfig::kIpCheckSite);
}

void TfrmMain::SelectIP1Click()
{
    ShowIPSelection(false);
}

void TfrmMain::btnOKClick()
{
    SaveOptions();
    // The edited bypass list takes effect at once while hiding is on.
    if (m_warden->hidingPhase() == HidingPhase::On) {
        m_warden->EnableProxy();
    }
    m_tray->hideMainForm();
}

void TfrmMain::suiButton1Click()
{
    m_tray->hideMainForm();
}

void TfrmMain::ulbWebsiteClick()
{
    OpenURL(m_host.desktop, bytes(m_ui->ulbWebsite->url()));
}

void TfrmMain::ulbContactUsClick()
{
    OpenURL(m_host.desktop, bytes(m_ui->ulbContactUs->url()));
}

void TfrmMain::ulbSeeMyIPClick()
{
    OpenURL(m_host.desktop, bytes(m_ui->ulbSeeMyIP->url()));
}

void TfrmMain::ctiControlStartup(bool& showMainForm)
{
    showMainForm = false;
}
