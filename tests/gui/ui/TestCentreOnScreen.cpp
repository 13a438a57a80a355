#include "skin/Icons.h"
#include "ui/CentreOnScreen.h"
#include "ui/MsgDlg.h"
#include "ui/TfrmUnblock.h"

#include <QScreen>
#include <QtTest>

namespace {

// How far the window's middle is from the middle of the screen's available area.
int offCentre(const QWidget& window)
{
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    return (window.geometry().center() - middle).manhattanLength();
}

} // namespace

class TestCentreOnScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skin::initResources(); }

    void aWindowOfAnySizeLandsInTheMiddle()
    {
        for (const QSize size : {QSize(301, 157), QSize(40, 40), QSize(640, 480)}) {
            QWidget window;
            window.resize(size);
            window.move(3, 5);
            centreOnScreen(window);
            QVERIFY2(offCentre(window) <= 1, qPrintable(QString("%1 px off").arg(offCentre(window))));
        }
        // Without a screen the window stays where it was.
        QWidget window;
        window.move(3, 5);
        centreOnScreen(window, nullptr);
        QCOMPARE(window.pos(), QPoint(3, 5));
    }

    void theBoxAndTheDialogsOpenInTheMiddle()
    {
        TfrmMsg box(QStringLiteral("Nimbra"), QStringLiteral("Done."), MsgKind::Information, MsgButton::Ok,
                    {});
        TfrmUnblock unblock(UnblockReason::WardenOffline, "/opt/nimbra/", {}, {}, {});
        for (const QWidget* window : std::initializer_list<const QWidget*>{&box, &unblock}) {
            QVERIFY2(offCentre(*window) <= 1, qPrintable(window->objectName()));
        }
    }
};

QTEST_MAIN(TestCentreOnScreen)
#include "TestCentreOnScreen.moc"
