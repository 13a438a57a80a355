#include "skin/Icons.h"
#include "skin/TrayIcon.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

// A tray icon on a desktop that has, or lacks, a notification area.
class DesktopTrayIcon : public TrayIcon
{
public:
    DesktopTrayIcon(QWidget* form, bool available) : TrayIcon(form), m_available(available) {}
    bool trayAvailable() const override { return m_available; }

private:
    bool m_available;
};

QSystemTrayIcon* systemIconOf(TrayIcon& tray)
{
    return tray.findChild<QSystemTrayIcon*>();
}

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT
private slots:
    void balloonsAreCutAndReplaced()
    {
        QWidget form;
        TrayIcon tray(&form);
        tray.showBalloon(QString(100, QLatin1Char('t')), QString(300, QLatin1Char('x')), BalloonIcon::Error,
                         10000);
        QCOMPARE(tray.lastBalloon().title.size(), 63);
        QCOMPARE(tray.lastBalloon().text.size(), 255);
        QCOMPARE(tray.lastBalloon().icon, BalloonIcon::Error);
        QCOMPARE(tray.lastBalloon().timeoutMs, 10000);

        // A character outside the BMP straddling the limit is dropped whole.
        const QString emoji = QString::fromUtf8("\xF0\x9F\x94\x92");
        tray.showBalloon(QString(62, QLatin1Char('t')) + emoji, QStringLiteral("short"),
                         BalloonIcon::Information, 5000);
        QCOMPARE(tray.lastBalloon().title, QString(62, QLatin1Char('t')));
        QCOMPARE(tray.lastBalloon().text, QStringLiteral("short"));
        QCOMPARE(tray.lastBalloon().icon, BalloonIcon::Information);
    }

    void animationStepsAndWraps()
    {
        QWidget form;
        TrayIcon tray(&form);
        const QList<QIcon> frames = skin::busyFrames().mid(0, 3);
        tray.setImageList(frames);
        tray.setIconIndex(2);
        QCOMPARE(systemIconOf(tray)->icon().cacheKey(), frames[2].cacheKey());
        tray.setAnimateInterval(20);
        tray.setAnimate(true);
        QVERIFY(tray.isAnimating());
        QTRY_COMPARE(tray.iconIndex(), 0);
        QTRY_COMPARE(tray.iconIndex(), 1);
        QCOMPARE(systemIconOf(tray)->icon().cacheKey(), frames[1].cacheKey());
    }

    void startupDecidesWhetherTheFormShows()
    {
        for (bool available : {true, false}) {
            for (bool keepHidden : {false, true}) {
                QWidget form;
                DesktopTrayIcon tray(&form, available);
                QObject::connect(&tray, &TrayIcon::startup, [keepHidden](bool& show) {
                    QVERIFY(show);
                    show = !keepHidden;
                });
                tray.start();
                // Without a notification area the form is the only way in.
                QCOMPARE(form.isVisible(), !keepHidden || !available);
            }
        }
        // The real check: the offscreen platform has no notification area.
        QWidget form;
        TrayIcon tray(&form);
        QObject::connect(&tray, &TrayIcon::startup, [](bool& show) { show = false; });
        tray.start();
        QVERIFY(form.isVisible());
    }

    void minimizeHidesTheFormWhereATrayExists()
    {
        for (bool available : {true, false}) {
            QWidget form;
            DesktopTrayIcon tray(&form, available);
            tray.setMinimizeToTray(true);
            tray.showMainForm();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.setWindowState(Qt::WindowMinimized);
            QTest::qWait(20);
            QCOMPARE(form.isVisible(), !available);
            tray.showMainForm();
            QVERIFY(form.isVisible() && !form.isMinimized());
        }
    }

    void clicksOpenThePopupMenuOnce()
    {
        QWidget form;
        TrayIcon tray(&form);
        QMenu menu;
        menu.addAction(QStringLiteral("Exit"));
        tray.setPopupMenu(&menu);
        QSignalSpy shown(&menu, &QMenu::aboutToShow);
        emit systemIconOf(tray)->activated(QSystemTrayIcon::Trigger);
        QVERIFY(menu.isVisible());
        // The X11 tray has already opened the menu when it reports a right click.
        emit systemIconOf(tray)->activated(QSystemTrayIcon::Context);
        QCOMPARE(shown.size(), 1);
        menu.hide();
        emit systemIconOf(tray)->activated(QSystemTrayIcon::Context);
        QCOMPARE(shown.size(), 2);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "TestTrayIcon.moc"
