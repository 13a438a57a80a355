#include "skin/Icons.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "ui/TfrmUpdate.h"
#include "ui_frmUpdate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestUpdateDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skin::initResources(); }

    // 5,000,000 bytes announced: the bar takes that as its maximum and follows every block;
    // the signature is missing, so the plain error box comes, and the dialog closes with it,
    // leaving no file.
    void theBarFollowsTheDownloadAndAFailureClosesTheDialogWithItsBox()
    {
        TestHttpServer server;
        TempDir dir;
        FakeDesktop desktop;
        TfrmUpdate form(
            platform::systemHost().http, desktop,
            {server.url("/bytes/5000000"), dir.file("nimbra-update.exe"), std::string(64, '0')}, [] {},
            qEnvironmentVariable("NIMBRA_APP_DIR") + QStringLiteral("/default.skn"));
        QProgressBar* bar = form.form()->suiProgressBar1;
        QList<int> positions;
        connect(bar, &QProgressBar::valueChanged, [&positions](int value) { positions << value; });
        // Shown modally as the program shows it; the box is answered from a timer, as a user
        // would, who would close a dialog still open after it.
        QStringList boxes;
        bool openAfterTheBox = false;
        QTimer user;
        connect(&user, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->windowTitle() + "|" + box->text() +
                             (box->testAttribute(Qt::WA_StyleSheet) ? "|skinned" : "");
                box->button(QMessageBox::Ok)->click();
            } else if (!boxes.isEmpty()) {
                openAfterTheBox = form.isVisible();
                form.close();
            }
        });
        user.start(20);
        QTimer::singleShot(60000, &form, &QDialog::reject);
        QCOMPARE(form.exec(), int(QDialog::Rejected));

        QCOMPARE(boxes, QStringList{QStringLiteral("Nimbra|Error when download new version!")});
        QVERIFY(!openAfterTheBox);
        QVERIFY(!QFile::exists(QString::fromStdString(dir.file("nimbra-update.exe"))));
        QCOMPARE(bar->maximum(), 5000000);
        QCOMPARE(positions.first(), 1025);
        QCOMPARE(positions.last(), 5000000);
        QCOMPARE(positions.size(), 5000000 / 1025 + 1);
    }
};

QTEST_MAIN(TestUpdateDialog)
#include "TestUpdateDialog.moc"
