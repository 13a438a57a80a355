#include "ui/TfrmMain.h"

#include "core/ExitChoice.h"
#include "core/Global.h"
#include "core/HostQueries.h"
#include "core/MemoLines.h"
#include "nimbra/BuildConfig.h"
#include "skin/Icons.h"
#include "skin/Skin.h"
#include "skin/TrayIcon.h"
#include "ui/CentreOnScreen.h"
#include "ui/HandlerGuard.h"
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
#include <QPointer>
#include <QSocketNotifier>
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

std::string applicationFolder()
{
    return AddBackslash(bytes(QFileInfo(QCoreApplication::applicationFilePath()).absolutePath()));
}

} // namespace

TfrmMain::TfrmMain(platform::Host host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_host(host),
      m_ui(std::make_unique<Ui::TfrmMain>()),
      m_program(host, *this, bytes(QCoreApplication::applicationFilePath()), applicationFolder())
{
    m_ui->setupUi(this);
    QCoreApplication::setApplicationName(qs(global::kAppTitle));
    setWindowIcon(skin::programIcon());
    m_ui->suiMain->setButtons(SkinTitleBar::WindowMenuButton | SkinTitleBar::HelpButton);
    m_ui->Label1->setText(QString::fromUtf8(buildconfig::kMakerName));
    m_ui->ulbWebsite->setText(qs(Program::makerSite()));
    m_ui->ulbWebsite->setUrl(qs(Program::makerSite()));
    m_ui->ulbContactUs->setUrl(qs(Program::contactAddress()));
    m_ui->ulbSeeMyIP->setText(QStringLiteral("SEE my IP - ") + QString::fromUtf8(buildconfig::kIpCheckName));
    m_ui->ulbSeeMyIP->setUrl(qs(Program::ipCheckSite()));

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

bool TfrmMain::loadSkin(const std::string& skinFile)
{
    if (!skin::loadSkin(this, qs(skinFile))) {
        return false;
    }
    setMsgBoxSkinFile(qs(skinFile));
    m_ui->lblAppName->setText(qs(global::kAppTitle) + QLatin1Char(' ') +
                              QString::fromLatin1(global::kVersion));
    centreAppName();
    m_ui->suiMain->setCaption(qs(global::kAppTitle));
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

void TfrmMain::showOptions(bool startWithWindows, const std::vector<std::string>& bypass)
{
    m_ui->chkStartWithWindows->setChecked(startWithWindows);
    m_ui->memBypass->clear();
    m_ui->memBypass->setPlainText(qs(memoText(bypass)));
}

bool TfrmMain::startWithWindows() const
{
    return m_ui->chkStartWithWindows->isChecked();
}

void TfrmMain::showInTray()
{
    m_tray->start();
}

void TfrmMain::showError(const std::string& text)
{
    if (!m_closing) {
        showHandlerError(qs(text));
    }
}

void TfrmMain::beginClosing()
{
    m_closing = true;
}

void TfrmMain::closeWindow()
{
    close();
}

MsgResult TfrmMain::SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                               std::uint16_t buttons)
{
    if (m_closing) {
        return MsgResult::Cancel;
    }
    return ::SkinMsgBox(qs(caption), qs(text), kind, buttons);
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
    if (timer == MainTimer::Read && m_wardenOutput) {
        m_wardenOutput->setEnabled(enabled);
    }
}

void TfrmMain::watchWardenOutput(std::optional<int> descriptor)
{
    if (m_wardenOutput) {
        // Deleted later: this may run inside the notifier's own handler.
        m_wardenOutput->setEnabled(false);
        m_wardenOutput->deleteLater();
        m_wardenOutput = nullptr;
    }
    if (!descriptor) {
        return;
    }
    m_wardenOutput = new QSocketNotifier(*descriptor, QSocketNotifier::Read, this);
    m_wardenOutput->setEnabled(timRead->isActive());
    connect(m_wardenOutput, &QSocketNotifier::activated, this, &TfrmMain::wardenOutputReady);
}

void TfrmMain::ShowUnblock(UnblockReason reason)
{
    // Like the boxes, no dialog waits for a person while the program closes.
    if (m_closing) {
        return;
    }
    ::showUnblock(
        reason, m_program.applicationFolder(), qs(m_program.skinFile()),
        [this] { OpenURL(m_host.desktop, Program::firewallHelpAddress()); },
        [this] { m_program.SilentUpdate(); });
}

void TfrmMain::ShowIPSelection(bool openedByHandshake)
{
    if (m_closing) {
        return;
    }
    ExitServers& servers = m_program.exitServers();
    const std::vector<std::string> lines = ipSelectionLines(servers);
    ::showIPSelection(lines, preselectedLine(servers, lines.size()), openedByHandshake,
                      qs(m_program.skinFile()), [this](int line) {
                          chooseExit(m_program.exitServers(), line, *m_program.activityLog(),
                                     *m_program.warden());
                      });
}

void TfrmMain::ShowUpdate()
{
    if (m_closing) {
        return;
    }
    // Once the verified new version runs this one ends, as if its window were closed.
    ::showUpdate(
        m_host.http, m_host.desktop, m_program.updateDownload(), [this] { close(); },
        qs(m_program.skinFile()));
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
    m_program.warden()->DiruDO1Click();
}

void TfrmMain::StopDiruDO1Click()
{
    m_program.warden()->StopDiruDO1Click();
}

void TfrmMain::timReadTimer()
{
    m_program.warden()->timReadTimer();
}

void TfrmMain::wardenOutputReady()
{
    // Off while its handler runs, so a box that handler opens takes no more of Warden's
    // lines at once in its own event loop; the tick still reads on as before.
    const QPointer<QSocketNotifier> notifier = m_wardenOutput;
    if (!notifier) {
        return; // one let go meanwhile
    }
    notifier->setEnabled(false);
    guarded([this] { m_program.warden()->wardenOutputReady(); });
    if (notifier && notifier == m_wardenOutput) {
        notifier->setEnabled(timRead->isActive());
    }
}

void TfrmMain::timResetTimer()
{
    m_program.warden()->timResetTimer();
}

void TfrmMain::Exit1Click()
{
    m_program.Exit();
}

void TfrmMain::QueryEndSession()
{
    m_program.QueryEndSession();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Closing never waits on a box or a dialog: the program leaves however it is leaving.
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
    m_program.FormClose();
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
    m_host.desktop.shellOpen(m_program.reportFile());
}

void TfrmMain::Help1Click()
{
    m_host.desktop.shellOpen(m_program.helpFile());
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
    OpenURL(m_host.desktop, Program::ipCheckSite());
}

void TfrmMain::SelectIP1Click()
{
    ShowIPSelection(false);
}

void TfrmMain::btnOKClick()
{
    m_program.applyOptions();
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
