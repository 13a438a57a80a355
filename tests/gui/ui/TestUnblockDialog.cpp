#include "ui/HandlerGuard.h"
#include "skin/Icons.h"
#include "ui/TfrmUnblock.h"
#include "ui_frmUnblock.h"

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

namespace {

QString defaultSkin()
{
    return qEnvironmentVariable("NIMBRA_APP_DIR") + QStringLiteral("/default.skn");
}

// Runs `act` on the topmost modal unblock dialog once the event loop gets to it.
void onceShown(std::function<void(TfrmUnblock&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* form = qobject_cast<TfrmUnblock*>(QApplication::activeModalWidget());
        QVERIFY(form != nullptr);
        act(*form);
    });
}

} // namespace

class TestUnblockDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skin::initResources(); }

    void modeDecidesTextAndReconnect_data()
    {
        QTest::addColumn<UnblockReason>("reason");
        QTest::addColumn<QString>("ending");
        QTest::newRow("failed handshake")
            << UnblockReason::HandshakeFailed << QStringLiteral("Then click the RECONNECT button.");
        QTest::newRow("no Internet") << UnblockReason::WardenOffline
                                     << QStringLiteral("Then RESTART Nimbra.");
        QTest::newRow("unknown") << UnblockReason{0} << QStringLiteral("Then RESTART Nimbra.");
    }

    void modeDecidesTextAndReconnect()
    {
        QFETCH(UnblockReason, reason);
        QFETCH(QString, ending);
        TfrmUnblock form(reason, "/opt/my apps/", defaultSkin(), {}, {});
        const Ui::TfrmUnblock& ui = *form.form();
        QVERIFY(
            ui.lblMsg->text().endsWith(QStringLiteral("access the Internet with your Firewall. ") + ending));
        QCOMPARE(ui.btnReconnect->isEnabled(), reason == UnblockReason::HandshakeFailed);
        // All of the advice shows, however the skin's font wraps it.
        QVERIFY(ui.lblMsg->height() >= ui.lblMsg->heightForWidth(ui.lblMsg->width()));
        QCOMPARE(ui.Image1->pixmap().toImage(), skin::msgDlgPicture(0).toImage());
    }

    void copyAndHelpLeaveItOpen()
    {
        int helped = 0;
        TfrmUnblock form(UnblockReason::WardenOffline, "/opt/my apps/", defaultSkin(),
                         [&helped] { ++helped; }, {});
        form.show();
        form.form()->btnCopyWarden->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/opt/my apps/warden"));
        form.form()->btnCopyNimbra->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/opt/my apps/nimbra"));
        form.form()->suiButton1->click();
        QCOMPARE(helped, 1);
        QVERIFY(form.isVisible());
        form.form()->btnOK->click();
        QVERIFY(!form.isVisible());
    }

    void reconnectRunsWithTheDialogUpThenClosesIt()
    {
        QStringList steps;
        const auto reconnect = [&steps] {
            auto* outer = qobject_cast<TfrmUnblock*>(QApplication::activeModalWidget());
            QVERIFY(outer != nullptr && outer->isVisible());
            // The handshake fails again and opens another unblock dialog on top.
            onceShown([&steps, outer](TfrmUnblock& inner) {
                if (&inner != outer && outer->isVisible()) {
                    steps << QStringLiteral("nested over it");
                }
                QTest::keyClick(&inner, Qt::Key_Escape);
            });
            showUnblock(UnblockReason::WardenOffline, "/opt/nimbra/", defaultSkin(), {}, {});
            throw std::runtime_error("Can not connect");
        };
        QStringList errors;
        setHandlerErrorSink([&errors](const QString& message) { errors << message; });
        onceShown([](TfrmUnblock& form) { form.form()->btnReconnect->click(); });
        showUnblock(UnblockReason::HandshakeFailed, "/opt/nimbra/", defaultSkin(), {}, reconnect);
        setHandlerErrorSink({});
        QCOMPARE(steps, QStringList{QStringLiteral("nested over it")});
        QCOMPARE(errors, QStringList{QStringLiteral("Can not connect")});
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }
};

QTEST_MAIN(TestUnblockDialog)
#include "TestUnblockDialog.moc"
