#include "ui/HandlerGuard.h"
#include "skin/Icons.h"
#include "ui/TfrmSelectIP.h"
#include "ui_frmSelectIP.h"

#include <QApplication>
#include <QtTest>
#include <stdexcept>

namespace {

QString defaultSkin()
{
    return qEnvironmentVariable("NIMBRA_APP_DIR") + QStringLiteral("/default.skn");
}

const std::vector<std::string> kLines{"Canada - a.example", "Japan - b.example", "Chile - c.example"};

// A dialog on screen that records its choices; `fail` makes them throw.
struct Dialog
{
    explicit Dialog(std::optional<int> selected, bool openedByHandshake = false,
                    const std::vector<std::string>& lines = kLines)
        : form(lines, selected, openedByHandshake, defaultSkin(), [this](int line) {
              chosen.push_back(line);
              if (fail) {
                  throw std::runtime_error("Error to start Warden!");
              }
          })
    {
        form.show();
    }

    QListWidget* list() const { return form.form()->lsbSelectIP; }
    // A double-click as the system delivers it: press, release, double-click, release.
    void doubleClick(QPoint at) const
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, at);
    }
    void doubleClickBelowTheLines() const { doubleClick({20, list()->viewport()->height() - 5}); }

    std::vector<int> chosen;
    bool fail = false;
    TfrmSelectIP form;
};

} // namespace

class TestSelectIPDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skin::initResources(); }

    void showsTheLinesWithTheOneInUseSelected()
    {
        Dialog dialog(1, true);
        QListWidget* list = dialog.list();
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(1)});
        QCOMPARE(list->visualItemRect(list->item(1)).height(), 16);
        QVERIFY(!dialog.form.form()->btnCancel->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(&dialog.form));
        QCOMPARE(QApplication::focusWidget(), dialog.form.form()->btnOK);
        QVERIFY(Dialog(std::nullopt).form.form()->btnCancel->isEnabled());
    }

    void okAndDoubleClickTakeTheSelectedLine()
    {
        Dialog none(std::nullopt);
        none.form.form()->btnOK->click();
        none.doubleClickBelowTheLines();
        QVERIFY(none.chosen.empty());
        QVERIFY(none.form.isVisible());
        none.doubleClick(none.list()->visualItemRect(none.list()->item(2)).center());
        QCOMPARE(none.chosen, std::vector<int>{2});
        QCOMPARE(none.form.result(), int(QDialog::Accepted));

        Dialog selected(1);
        selected.doubleClickBelowTheLines();
        QCOMPARE(selected.chosen, std::vector<int>{1});
        QVERIFY(!selected.form.isVisible());
    }

    void aFailedChoiceKeepsItOpen()
    {
        QStringList errors;
        setHandlerErrorSink([&errors](const QString& message) { errors << message; });
        Dialog dialog(0, true);
        dialog.fail = true;
        dialog.form.form()->btnOK->click();
        setHandlerErrorSink({});
        QCOMPARE(errors, QStringList{QStringLiteral("Error to start Warden!")});
        QVERIFY(dialog.form.isVisible());
    }

    void escapeAndCloseNeedCancelOrAnEmptyList()
    {
        Dialog handshake(0, true);
        QTest::keyClick(handshake.list(), Qt::Key_Escape);
        QVERIFY(!handshake.form.close());
        QVERIFY(handshake.form.isVisible());
        Dialog empty(std::nullopt, true, {});
        QTest::keyClick(&empty.form, Qt::Key_Escape);
        QVERIFY(!empty.form.isVisible());
        Dialog menu(0);
        QTest::keyClick(menu.list(), Qt::Key_Escape);
        QCOMPARE(menu.form.result(), int(QDialog::Rejected));
        QVERIFY(menu.chosen.empty());
    }
};

QTEST_MAIN(TestSelectIPDialog)
#include "TestSelectIPDialog.moc"
