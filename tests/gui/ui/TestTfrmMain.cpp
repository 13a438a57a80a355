#include "core/BypassSettings.h"
#include "nimbra/BuildConfig.h"
#include "service/Cipher.h"
#include "service/UpdateDownload.h"
#include "skin/Icons.h"
#include "skin/TrayIcon.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"
#include "ui/HandlerGuard.h"
#include "ui/SkinMsgBox.h"
#include "ui/TfrmMain.h"
#include "ui_frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Messages of the activity log, without their time stamps.
QStringList loggedMessages(TfrmMain& form)
{
    QStringList messages;
    for (const std::string& line : form.program().activityLog()->lines()) {
        messages << QString::fromStdString(line.substr(line.find(" ] ") + 3));
    }
    return messages;
}

std::string appSkin()
{
    return std::string(std::getenv("NIMBRA_APP_DIR")) + "/default.skn";
}

} // namespace

class TestTfrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<FakeHost> m_fake;
    std::string m_dataFolder;

    // A user whose settings name the built skin; `extra` is added to the settings file.
    std::unique_ptr<TfrmMain> startedForm(const std::string& extra = "")
    {
        m_dir->writeFile("config/Nimbra/dirudo.ini", "[Config]\nSkin=" + appSkin() + "\n" + extra);
        auto form = std::make_unique<TfrmMain>(m_fake->host());
        // No service answers the fake HTTP: the handshake's unblock dialog is closed as the
        // user would.
        QTimer::singleShot(0, [] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                dialog->close();
            }
        });
        if (!form->program().InitMain()) {
            return nullptr;
        }
        return form;
    }

private slots:
    void initTestCase() { skin::initResources(); }

    void init()
    {
        m_dir = std::make_unique<TempDir>();
        m_fake = std::make_unique<FakeHost>();
        m_fake->folders.appData = m_dir->file("config");
        std::filesystem::create_directory(m_fake->folders.appData);
        m_fake->clock.utc = {2026, 12, 7, 23, 0, 0, 0};
        m_fake->clock.local = {2026, 12, 8, 1, 0, 0, 0};
        m_fake->desktop.browserCommand = "firefox-esr %u";
        m_dataFolder = m_dir->file("config/Nimbra") + "/";
        setHandlerErrorSink({});
    }

    // The start-up's lines and values are the Program's; the window shows only the tray,
    // with the skin's caption and name.
    void startUpShowsOnlyTheTray()
    {
        auto form = startedForm();
        QVERIFY(form);
        QCOMPARE(loggedMessages(*form).last(), QStringLiteral("Please unblock Nimbra"));
        QCOMPARE(form->ctiControl()->hint(), QStringLiteral("Diru DO OFF"));
        // Only the tray shows; a desktop without a notification area shows the window,
        // centred like every first showing.
        QCOMPARE(form->isVisible(), !form->ctiControl()->trayAvailable());
        if (form->isVisible()) {
            const QPoint offset =
                form->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(QString("off by %1,%2").arg(offset.x()).arg(offset.y())));
        }
        QCOMPARE(form->form()->suiMain->caption(), QStringLiteral("Nimbra"));
        QCOMPARE(form->form()->lblAppName->text(), QStringLiteral("Nimbra 1.33"));
        QCOMPARE(form->form()->pclMain->currentWidget(), form->form()->suiTabSheet1);
    }

    // The service offers a new version and an exit; nothing serves the new version. OK on
    // the error box closes the update dialog, and the handshake goes on to the IP selection.
    void aFailedUpdateClosesItsDialogAndTheIPSelectionFollows()
    {
        m_dir->writeFile("config/Nimbra/dirudo.ini", "[Config]\nSkin=" + appSkin() + "\n");
        const auto secret = [](const std::string& value) {
            return DecodeValue(value, buildconfig::kCipherKey);
        };
        const std::string answer = "B=1\r\nNewVersion=1\r\nC=1\r\nP=" + secret("1080") +
                                   "\r\nU=" + secret("user") + "\r\nK=" + secret("key") +
                                   "\r\nH1=" + secret("exit.example") + "\r\nE=1\r\n";
        m_fake->http.onFetch = [this, answer](const std::string& url) { m_fake->http.bodies[url] = answer; };
        TfrmMain form(m_fake->host());
        // The user answers the box and closes whatever is still open after it.
        bool boxAnswered = false;
        QStringList afterTheBox;
        QTimer user;
        connect(&user, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                boxAnswered = true;
                box->button(QMessageBox::Ok)->click();
            } else if (auto* open = qobject_cast<QDialog*>(dialog); open && boxAnswered) {
                afterTheBox << open->metaObject()->className();
                open->done(QDialog::Rejected);
            }
        });
        user.start(20);
        QVERIFY(form.program().InitMain());
        QCOMPARE(afterTheBox, QStringList{"TfrmSelectIP"});
        QVERIFY(!std::filesystem::exists(m_dataFolder + kUpdateFileName));
    }

    void theTrayMenuHasItsNineItemsInOrder()
    {
        auto form = startedForm();
        QVERIFY(form);
        QStringList captions;
        for (const QAction* item : form->ppmMain()->actions()) {
            captions << item->text();
        }
        QCOMPARE(captions, QStringList({"&Diru DO", "&Stop Diru DO", "Select I&P", "SEE my &IP...",
                                        "&Options...", "&Report...", "Hel&p...", "&About...", "&Exit"}));
        QVERIFY(!form->DiruDO1->isEnabled());
        QVERIFY(!form->StopDiruDO1->isEnabled());
        QVERIFY(!form->Report1->isVisible());
        QCOMPARE(form->ctiControl()->popupMenu(), form->ppmMain());
    }

    void optionsAboutCancelAndOk()
    {
        auto form = startedForm("[Bypass]\nCounter=3\n1=first.example\n3=third.example\n");
        QVERIFY(form);
        Ui::TfrmMain& ui = *form->form();
        QCOMPARE(ui.memBypass->toPlainText(), QStringLiteral("first.example\n\nthird.example\n"));

        form->About1->trigger();
        QVERIFY(form->isVisible());
        QCOMPARE(ui.pclMain->currentWidget(), ui.tstAbout);
        ui.suiButton1->click();
        QVERIFY(!form->isVisible());
        form->Options1->trigger();
        QCOMPARE(ui.pclMain->currentWidget(), ui.tstAbout);

        // Cancel keeps the edits in the window but saves nothing.
        ui.memBypass->setPlainText("edited.example\nsecond.example");
        ui.chkStartWithWindows->setChecked(true);
        ui.suiButton1->click();
        QVERIFY(!form->isVisible());
        QVERIFY(m_fake->autostart.entries.empty());
        QVERIFY(fileContent(m_dataFolder + "dirudo.ini").find("edited") == std::string::npos);
        form->Options1->trigger();
        QCOMPARE(ui.memBypass->toPlainText(), QStringLiteral("edited.example\nsecond.example"));

        // OK saves what the window holds and closes it.
        ui.btnOK->click();
        QVERIFY(!form->isVisible());
        const SettingsStore::Snapshot saved = SettingsStore(m_dataFolder + "dirudo.ini").snapshot();
        QCOMPARE(bypass::read(saved), (std::vector<std::string>{"edited.example", "second.example"}));
        QCOMPARE(m_fake->autostart.entries.at("Nimbra"), form->program().executablePath());
    }

    // Tab runs Cancel, OK, the page tabs, then the shown page's own controls, and round.
    void tabReachesEveryControlOfTheShownPage()
    {
        auto form = startedForm();
        QVERIFY(form);
        Ui::TfrmMain& ui = *form->form();
        form->Options1->trigger();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        const auto cycle = [&](QWidget* page) {
            ui.pclMain->setCurrentWidget(page);
            ui.suiButton1->setFocus();
            QStringList names;
            for (int i = 0; i < 5; ++i) {
                QWidget* focused = QApplication::focusWidget();
                names << (focused ? focused->objectName() : QStringLiteral("-"));
                QTest::keyClick(focused ? focused : form.get(), Qt::Key_Tab);
            }
            return names;
        };
        const QString tabs = ui.pclMain->tabBar()->objectName();
        QCOMPARE(cycle(ui.suiTabSheet1),
                 QStringList({"suiButton1", "btnOK", tabs, "chkStartWithWindows", "suiButton1"}));
        QCOMPARE(cycle(ui.suiTabSheet3),
                 QStringList({"suiButton1", "btnOK", tabs, "memBypass", "suiButton1"}));
        QCOMPARE(cycle(ui.tstAbout), QStringList({"suiButton1", "btnOK", tabs, "suiButton1", "btnOK"}));
    }

    void theTrayShowsEachStatus()
    {
        auto form = startedForm();
        QVERIFY(form);
        WardenControl& hiding = *form->program().warden();
        const TrayIcon& tray = *form->ctiControl();
        hiding.SetDiruDOStatus(DiruDOStatus::Busy, "Connecting to Internet. Please wait...",
                               BalloonIcon::Information);
        QVERIFY(tray.isAnimating());
        QCOMPARE(tray.hint(), QStringLiteral("Connecting to Internet. Please wait..."));
        QCOMPARE(tray.lastBalloon().title, QStringLiteral("Nimbra"));
        QCOMPARE(tray.lastBalloon().icon, BalloonIcon::Information);
        QCOMPARE(tray.lastBalloon().timeoutMs, 10000);
        QVERIFY(!form->DiruDO1->isEnabled() && !form->StopDiruDO1->isEnabled()); // Busy leaves the menu

        hiding.SetDiruDOStatus(DiruDOStatus::On, "Diru DO ON", BalloonIcon::Information);
        QVERIFY(!tray.isAnimating());
        QCOMPARE(tray.iconIndex(), 0);
        QCOMPARE(tray.hint(), QStringLiteral("Diru DO ON"));
        QVERIFY(!form->DiruDO1->isEnabled() && form->StopDiruDO1->isEnabled());

        hiding.SetDiruDOStatus(DiruDOStatus::Off, "Connection lost", BalloonIcon::Error);
        QCOMPARE(tray.iconIndex(), 1);
        QCOMPARE(tray.hint(), QStringLiteral("Diru DO OFF"));
        QCOMPARE(tray.lastBalloon().text, QStringLiteral("Connection lost"));
        QCOMPARE(tray.lastBalloon().icon, BalloonIcon::Error);
        QVERIFY(form->DiruDO1->isEnabled() && !form->StopDiruDO1->isEnabled());
    }

    // The menu, the timer and the options page's OK reach hiding.
    void hidingFromTheWindow()
    {
        auto form = startedForm();
        QVERIFY(form);
        Ui::TfrmMain& ui = *form->form();
        m_fake->folders.presentFiles.push_back(form->program().applicationFolder() + "warden");
        ui.memBypass->setPlainText("a.com\nb.com");

        form->program().warden()->DiruDO("exit.example", "1080", "user", "key");
        QVERIFY(form->timRead->isActive());
        QCOMPARE(form->timRead->interval(), 1000);
        m_fake->processes.latest().output = "160138\n";
        form->timReadTimer();
        QCOMPARE(m_fake->systemProxy.calls[1],
                 std::string("options (default) 2 socks=127.0.0.1:7070 a.com,b.com,"));
        m_fake->systemProxy.calls.clear();
        ui.memBypass->setPlainText("c.com");
        ui.btnOK->click();
        QCOMPARE(m_fake->systemProxy.calls[1],
                 std::string("options (default) 2 socks=127.0.0.1:7070 c.com,"));

        form->StopDiruDO1->trigger();
        QVERIFY(!form->timRead->isActive());
        QVERIFY(form->DiruDO1->isEnabled());
        form->DiruDO1->trigger();
        QVERIFY(form->StopDiruDO1->isEnabled());
        QCOMPARE(loggedMessages(*form).mid(loggedMessages(*form).size() - 3),
                 QStringList({"Diru DO ON", "User stopped Diru DO", "Diru DO ON"}));
    }

    // Warden's lines are taken as its output arrives, not at the next tick; an output with
    // nothing to read does not keep the window busy.
    void wardenOutputIsReadAsItArrives()
    {
#ifdef Q_OS_UNIX
        // A real pipe stands for Warden's: a byte in it says the scripted output waits.
        int ends[2];
        QCOMPARE(pipe(ends), 0);
        m_fake->processes.descriptor = ends[0];
        auto form = startedForm();
        QVERIFY(form);
        m_fake->folders.presentFiles.push_back(form->program().applicationFolder() + "warden");
        form->program().warden()->DiruDO("exit.example", "1080", "user", "key");
        // No tick comes while the test runs.
        form->timRead->start(3600 * 1000);
        m_fake->processes.latest().output = "160138\n";
        QCOMPARE(write(ends[1], "x", 1), 1);
        QTRY_COMPARE(form->ctiControl()->hint(), QStringLiteral("Diru DO ON"));
        // The byte stays: the pipe is readable with nothing for Warden's reader, as a closed
        // one is, so the watch rests until the next tick.
        QTRY_VERIFY(!form->findChild<QSocketNotifier*>());
        QVERIFY(form->timRead->isActive());
        form->program().warden()->Sweep();
        close(ends[0]);
        close(ends[1]);
#else
        QSKIP("Warden's output is polled where the system offers nothing to watch");
#endif
    }

    void theAboutLabelIsCentredOnItsPage()
    {
        auto form = startedForm();
        QVERIFY(form);
        const Ui::TfrmMain& ui = *form->form();
        QCOMPARE(ui.lblAppName->x(), (ui.tstAbout->width() - ui.lblAppName->width()) / 2);
        form->About1->trigger();
        QCOMPARE(ui.lblAppName->x(), (ui.tstAbout->width() - ui.lblAppName->width()) / 2);
    }

    void linksAndCommandsOpenTheirTargets()
    {
        auto form = startedForm();
        QVERIFY(form);
        m_fake->desktop.launches.clear();
        form->SeeMyIP1->trigger();
        QTest::mouseClick(form->form()->ulbSeeMyIP, Qt::LeftButton);
        form->Help1->trigger();
        form->Report1->trigger();
        using Launch = FakeDesktop::Launch;
        const std::vector<Launch> expected = {{"", "http://127.0.0.1:8369/ip"},
                                              {"", "http://127.0.0.1:8369/ip"},
                                              {"", form->program().applicationFolder() + platform::kHelpFile},
                                              {"", m_dataFolder + "report.txt"}};
        QVERIFY(m_fake->desktop.launches == expected);

        // Without a default browser the address goes to the system's fallback browser.
        m_fake->desktop.browserCommand.clear();
        m_fake->desktop.launches.clear();
        QTest::mouseClick(form->form()->ulbContactUs, Qt::LeftButton);
        QCOMPARE(m_fake->desktop.launches.size(), std::size_t(1));
        QCOMPARE(m_fake->desktop.launches[0].target, std::string("http://127.0.0.1:8369/contact.php"));
        QVERIFY(!m_fake->desktop.launches[0].program.empty());
    }

    // Exit and the end of the session close the window, which ends the program. The window
    // shows the box of a Firefox setting that cannot be switched back on Exit; at the end
    // of the session it shows nothing at all.
    void exitAndTheEndOfTheSessionCloseTheWindow()
    {
        m_fake->folders.firefoxProfiles = m_dir->file("firefox/");
        m_dir->makeFolder("firefox/abcd.default/user.js/inner");
        m_fake->windows.windows = {{1, "Mozilla Firefox"}};
        QStringList errors;
        setHandlerErrorSink([&errors](const QString& message) { errors << message; });
        for (const bool sessionEnds : {false, true}) {
            auto form = startedForm();
            QVERIFY(form);
            QSignalSpy closed(form.get(), &TfrmMain::closed);
            if (!sessionEnds) {
                queueMsgBoxAnswer(MsgResult::Ok); // "Can not change Firefox proxy settings!"
                form->Exit1->trigger();
            } else {
                form->QueryEndSession();
            }
            QCOMPARE(closed.count(), 1);
            QVERIFY(form->isClosing());
            QCOMPARE(takeMsgBoxCalls().size(), sessionEnds ? 0 : 1);
            QVERIFY(errors.isEmpty()); // the box says it; nothing else breaks off
            QCOMPARE(loggedMessages(*form).last(), QStringLiteral("Closing..."));
        }
    }
};

QTEST_MAIN(TestTfrmMain)
#include "TestTfrmMain.moc"
