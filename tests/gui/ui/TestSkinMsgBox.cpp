#include "skin/Icons.h"
#include "skin/SkinTitleBar.h"
#include "ui/MsgDlg.h"
#include "ui/SkinMsgBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

QString defaultSkin()
{
    return qEnvironmentVariable("NIMBRA_APP_DIR") + QStringLiteral("/default.skn");
}

// Runs SkinMsgBox and hands its form to `act` once the form is up.
MsgResult answer(const std::function<void(TfrmMsg&)>& act, const QString& text, std::uint16_t buttons)
{
    QTimer::singleShot(0, [act] {
        auto* form = qobject_cast<TfrmMsg*>(QApplication::activeModalWidget());
        QVERIFY(form != nullptr);
        act(*form);
    });
    return SkinMsgBox(QStringLiteral("Nimbra"), text, MsgKind::Warning, buttons);
}

// The platform theme's caption of a standard button, as the box must show it.
QString platformText(QDialogButtonBox::StandardButton which)
{
    QDialogButtonBox box;
    return box.addButton(which)->text();
}

QStringList copiedLines(QWidget* target, Qt::KeyboardModifiers modifiers)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    QTest::keyClick(target, Qt::Key_C, modifiers);
    return QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
}

} // namespace

class TestSkinMsgBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        skin::initResources();
        QVERIFY(QFile::exists(defaultSkin()));
        setMsgBoxSkinFile(defaultSkin());
    }

    void formFollowsTheLayout_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("labelLeft");
        QTest::addColumn<QList<int>>("lefts");
        QTest::newRow("icon, OK") << int(MsgKind::Information) << int(MsgButton::Ok) << 336 << 88
                                  << QList<int>{239};
        QTest::newRow("none, OK") << int(MsgKind::None) << int(MsgButton::Ok) << 272 << 24 << QList<int>{175};
        QTest::newRow("none, three") << int(MsgKind::None)
                                     << int(MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore) << 336
                                     << 24 << QList<int>{239, 146, 53};
    }

    void formFollowsTheLayout()
    {
        QFETCH(int, kind);
        QFETCH(int, buttons);
        QFETCH(int, width);
        QFETCH(int, labelLeft);
        QFETCH(QList<int>, lefts);
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Done."), MsgKind(kind), std::uint16_t(buttons),
                     defaultSkin());
        form.show();
        QCOMPARE(form.size(), QSize(width, 179));
        QCOMPARE(form.label()->geometry().topLeft(), QPoint(labelLeft, 64));
        QCOMPARE(form.label()->width(), 225);
        QCOMPARE(form.image()->isVisible(), labelLeft == 88);
        if (form.image()->isVisible())
            QCOMPARE(form.image()->geometry(), QRect(24, 64, 42, 42));
        QList<int> seen;
        for (const QPushButton* button : form.buttons()) {
            QCOMPARE(button->geometry().topLeft().y(), 124);
            QCOMPARE(button->size(), QSize(73, 25));
            seen << button->x();
        }
        QCOMPARE(seen, lefts);
        QCOMPARE(form.focusWidget(), form.buttons().last());
        QCOMPARE(form.titleBar()->buttons(), SkinTitleBar::Buttons(SkinTitleBar::NoButton));
    }

    void longMessageWrapsAndPushesTheButtonsDown()
    {
        const QString text = QStringLiteral("The connection to the service could not be made. ").repeated(4);
        TfrmMsg form(QStringLiteral("Nimbra"), text, MsgKind::Error, MsgButton::Ok, defaultSkin());
        const QRect label = form.label()->geometry();
        QCOMPARE(label.width(), 225);
        QVERIFY(label.height() > 3 * form.label()->fontMetrics().height());
        const int bottom = label.y() + label.height();
        QCOMPARE(form.buttons().first()->y(), bottom + 20);
        QCOMPARE(form.height(), bottom + 75);
    }

    void onlyOkIsDefaultAndOnlyCancelAnswersEscape()
    {
        TfrmMsg ok(QStringLiteral("Nimbra"), QStringLiteral("Go?"), MsgKind::Warning,
                   MsgButton::Ok | MsgButton::Cancel, defaultSkin());
        QPushButton* cancel = ok.buttons().at(0);
        QVERIFY(ok.buttons().at(1)->isDefault() && !cancel->isDefault());
        QCOMPARE(ok.escapeButton(), cancel);
        QSignalSpy cancelled(cancel, &QPushButton::clicked);
        ok.show();
        QTest::keyClick(ok.focusWidget(), Qt::Key_Escape);
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(ok.result(), 2);

        TfrmMsg yesNo(QStringLiteral("Nimbra"), QStringLiteral("Quit?"), MsgKind::Confirmation,
                      MsgButton::Yes | MsgButton::No, defaultSkin());
        QPushButton* no = yesNo.buttons().at(0);
        QPushButton* yes = yesNo.buttons().at(1);
        QCOMPARE(yes->text(), QStringLiteral("&Yes"));
        QCOMPARE(no->text(), QStringLiteral("&No"));
        QVERIFY(yes->x() < no->x());
        QVERIFY(!yes->isDefault() && !no->isDefault());
        QCOMPARE(yesNo.escapeButton(), nullptr);

        // Without Cancel, Escape leaves the box open, from the form or from a button.
        TfrmMsg okOnly(QStringLiteral("Nimbra"), QStringLiteral("Done."), MsgKind::Information, MsgButton::Ok,
                       defaultSkin());
        for (TfrmMsg* box : {&yesNo, &okOnly}) {
            box->show();
            QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(box->isVisible());
            QCOMPARE(box->result(), 0);
        }
    }

    void modalBoxReturnsThePressedResult()
    {
        const std::uint16_t yesNo = MsgButton::Yes | MsgButton::No;
        const auto click = [](int i) { return [i](TfrmMsg& f) { f.buttons().at(i)->click(); }; };
        QCOMPARE(answer(click(1), QStringLiteral("Quit?"), yesNo), MsgResult::Yes);
        QCOMPARE(answer(click(0), QStringLiteral("Quit?"), yesNo), MsgResult::No);
        QCOMPARE(answer([](TfrmMsg& f) { f.close(); }, QStringLiteral("Quit?"), yesNo), MsgResult::Cancel);
        // Ended from outside, as the program's close ends every open dialog, it was closed
        // without a button all the same.
        QCOMPARE(answer([](TfrmMsg& f) { f.done(QDialog::Rejected); }, QStringLiteral("Quit?"), yesNo),
                 MsgResult::Cancel);
        // Enter presses the button showing the focus even where none is the default.
        QCOMPARE(answer([](TfrmMsg& f) { QTest::keyClick(f.focusWidget(), Qt::Key_Return); },
                        QStringLiteral("Quit?"), yesNo),
                 MsgResult::Yes);
        const auto toAll = [](TfrmMsg& f) {
            QStringList captions;
            for (const QPushButton* button : f.buttons())
                captions << button->text();
            QCOMPARE(captions, (QStringList{QStringLiteral("Yes to All"), QStringLiteral("No to All"),
                                            QStringLiteral("All")}));
            f.buttons().at(1)->click();
        };
        QCOMPARE(answer(toAll, QStringLiteral("Replace?"),
                        MsgButton::All | MsgButton::NoToAll | MsgButton::YesToAll),
                 MsgResult::NoToAll);
    }

    void buttonsTabLeftToRight()
    {
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Failed."), MsgKind::Error,
                     MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore, defaultSkin());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QStringList order;
        for (int i = 0; i < 3; ++i) {
            auto* focused = qobject_cast<QPushButton*>(form.focusWidget());
            QVERIFY(focused != nullptr);
            order << focused->text();
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(order,
                 (QStringList{platformText(QDialogButtonBox::Abort), platformText(QDialogButtonBox::Retry),
                              platformText(QDialogButtonBox::Ignore)}));
    }

    void ctrlCCopiesTheMessage()
    {
        TfrmMsg yesNo(QStringLiteral("Nimbra"), QStringLiteral("Quit?"), MsgKind::Confirmation,
                      MsgButton::Yes | MsgButton::No, defaultSkin());
        const QString rule(27, QLatin1Char('-'));
        const QStringList lines = copiedLines(yesNo.focusWidget(), Qt::ControlModifier);
        QCOMPARE(lines, (QStringList{rule, QStringLiteral("Nimbra"), rule, QStringLiteral("Quit?"), rule,
                                     QStringLiteral("&No   &Yes"), rule}));
        QCOMPARE(copiedLines(&yesNo, Qt::ControlModifier | Qt::ShiftModifier), lines);
        QCOMPARE(copiedLines(yesNo.focusWidget(), Qt::NoModifier), QStringList{QStringLiteral("untouched")});

        TfrmMsg ok(QStringLiteral("Nimbra"), QStringLiteral("Done."), MsgKind::Information, MsgButton::Ok,
                   defaultSkin());
        const QStringList okLines = copiedLines(ok.focusWidget(), Qt::ControlModifier);
        QCOMPARE(okLines.size(), 7);
        QCOMPARE(okLines.at(5), platformText(QDialogButtonBox::Ok));
    }

    void everyBoxLoadsTheSkinFileAnew()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("test.skn")));
        setMsgBoxSkinFile(file.fileName());
        QString seen;
        const auto record = [&seen](TfrmMsg& f) {
            seen = f.styleSheet();
            f.close();
        };
        for (const QString& sheet :
             {QStringLiteral("QLabel { color: red; }"), QStringLiteral("QLabel { color: blue; }")}) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(sheet.toUtf8());
            file.close();
            answer(record, sheet, MsgButton::Ok);
            QCOMPARE(seen, sheet);
        }
        // A missing file leaves the box unskinned.
        QVERIFY(file.remove());
        answer(record, QStringLiteral("missing"), MsgButton::Ok);
        QVERIFY(seen.isEmpty());
        setMsgBoxSkinFile(defaultSkin());
    }

    void queuedAnswersSkipTheForm()
    {
        queueMsgBoxAnswer(MsgResult::Yes);
        queueMsgBoxAnswer(MsgResult::Cancel);
        QCOMPARE(SkinMsgBox(QStringLiteral("Nimbra"), QStringLiteral("first"), MsgKind::Confirmation,
                            MsgButton::Yes | MsgButton::No),
                 MsgResult::Yes);
        QCOMPARE(
            SkinMsgBox(QStringLiteral("Nimbra"), QStringLiteral("second"), MsgKind::Error, MsgButton::Ok),
            MsgResult::Cancel);
        const QList<MsgBoxCall> calls = takeMsgBoxCalls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.at(0).text, QStringLiteral("first"));
        QCOMPARE(calls.at(0).kind, MsgKind::Confirmation);
        QCOMPARE(calls.at(0).buttons, std::uint16_t(MsgButton::Yes | MsgButton::No));
        QCOMPARE(calls.at(1).caption, QStringLiteral("Nimbra"));
        QVERIFY(takeMsgBoxCalls().isEmpty());
        // With the queue empty the form shows again.
        QCOMPARE(
            answer([](TfrmMsg& f) { f.buttons().first()->click(); }, QStringLiteral("real"), MsgButton::Ok),
            MsgResult::Ok);
    }
};

QTEST_MAIN(TestSkinMsgBox)
#include "TestSkinMsgBox.moc"
