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
int answer(const std::function<void(TfrmMsg&)>& act, const QString& text, std::uint16_t buttons)
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

    void oneLineWithIconAndOk()
    {
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Done."), MsgKind::Information, MsgButton::Ok,
                     defaultSkin());
        form.show();
        QCOMPARE(form.size(), QSize(336, 179));
        QCOMPARE(form.buttons().size(), 1);
        QPushButton* ok = form.buttons().first();
        QCOMPARE(ok->geometry(), QRect(239, 124, 73, 25));
        QVERIFY(ok->isDefault());
        QCOMPARE(form.focusWidget(), ok);
        QVERIFY(form.image()->isVisible());
        QCOMPARE(form.image()->geometry(), QRect(24, 64, 42, 42));
        QCOMPARE(form.label()->x(), 88);
        QCOMPARE(form.label()->width(), 225);
        QCOMPARE(form.titleBar()->buttons(), SkinTitleBar::Buttons(SkinTitleBar::NoButton));
        const QFont captionFont = form.titleBar()->findChild<QLabel*>(QStringLiteral("suiCaption"))->font();
        QVERIFY(captionFont.bold());
        QCOMPARE(captionFont.families().value(0), QStringLiteral("Tahoma"));
    }

    void yesNoReadInSetOrderWithoutDefaultOrEscape()
    {
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Quit?"), MsgKind::Confirmation,
                     MsgButton::Yes | MsgButton::No, defaultSkin());
        QPushButton* no = form.buttons().at(0);
        QPushButton* yes = form.buttons().at(1);
        QCOMPARE(yes->text(), QStringLiteral("&Yes"));
        QCOMPARE(no->text(), QStringLiteral("&No"));
        QVERIFY(yes->x() < no->x());
        QCOMPARE(form.focusWidget(), yes);
        QVERIFY(!yes->isDefault() && !no->isDefault());
        QCOMPARE(form.escapeButton(), nullptr);

        QCOMPARE(answer([](TfrmMsg& f) { f.buttons().at(1)->click(); }, QStringLiteral("Quit?"),
                        MsgButton::Yes | MsgButton::No),
                 6);
        QCOMPARE(answer([](TfrmMsg& f) { f.buttons().at(0)->click(); }, QStringLiteral("Quit?"),
                        MsgButton::Yes | MsgButton::No),
                 7);
        QCOMPARE(
            answer([](TfrmMsg& f) { f.close(); }, QStringLiteral("Quit?"), MsgButton::Yes | MsgButton::No),
            2);
        QCOMPARE(answer([](TfrmMsg& f) { QTest::keyClick(f.focusWidget(), Qt::Key_Escape); },
                        QStringLiteral("Quit?"), MsgButton::Yes | MsgButton::No),
                 2);
        // Enter presses the button showing the focus even where none is the default.
        QCOMPARE(answer([](TfrmMsg& f) { QTest::keyClick(f.focusWidget(), Qt::Key_Return); },
                        QStringLiteral("Quit?"), MsgButton::Yes | MsgButton::No),
                 6);
    }

    void cancelAnswersEscapeAndOkIsDefault()
    {
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Go?"), MsgKind::Warning,
                     MsgButton::Ok | MsgButton::Cancel, defaultSkin());
        QPushButton* cancel = form.buttons().at(0);
        QCOMPARE(form.escapeButton(), cancel);
        QVERIFY(!cancel->isDefault());
        QVERIFY(form.buttons().at(1)->isDefault());
        QSignalSpy cancelled(cancel, &QPushButton::clicked);
        form.show();
        QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(form.result(), 2);
    }

    void longMessageWrapsAndPushesTheButtonsDown()
    {
        const QString text = QStringLiteral("The connection to the service could not be made. ").repeated(4);
        TfrmMsg form(QStringLiteral("Nimbra"), text, MsgKind::Error, MsgButton::Ok, defaultSkin());
        const QRect label = form.label()->geometry();
        QCOMPARE(label.width(), 225);
        QVERIFY(label.height() > 3 * form.label()->fontMetrics().height());
        const int bottom = label.y() + label.height();
        QVERIFY(bottom > 104);
        QCOMPARE(form.buttons().first()->y(), bottom + 20);
        QCOMPARE(form.height(), bottom + 75);
    }

    void kindNoneHasNoIconAndANarrowForm()
    {
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Plain."), MsgKind::None, MsgButton::Ok,
                     defaultSkin());
        form.show();
        QVERIFY(!form.image()->isVisible());
        QCOMPARE(form.label()->x(), 24);
        QCOMPARE(form.width(), 272);
        QCOMPARE(form.buttons().first()->x(), 175);
    }

    void threeButtonsTabLeftToRight()
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
        QCOMPARE(form.buttons().at(2)->x(), 53);
    }

    void toAllButtonsReturnTheirResults()
    {
        const std::uint16_t set = MsgButton::All | MsgButton::NoToAll | MsgButton::YesToAll;
        TfrmMsg form(QStringLiteral("Nimbra"), QStringLiteral("Replace?"), MsgKind::Confirmation, set,
                     defaultSkin());
        QStringList captions;
        for (QPushButton* button : form.buttons())
            captions << button->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("Yes to All"), QStringLiteral("No to All"),
                                        QStringLiteral("All")}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(answer([i](TfrmMsg& f) { f.buttons().at(i)->click(); }, QStringLiteral("Replace?"), set),
                     10 - i);
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
        const QString file = dir.filePath(QStringLiteral("test.skn"));
        const auto writeSkin = [&file](const QByteArray& sheet) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(sheet);
        };
        QString seen;
        const auto record = [&seen](TfrmMsg& f) {
            seen = f.styleSheet();
            f.close();
        };
        setMsgBoxSkinFile(file);
        writeSkin("QLabel { color: red; }");
        answer(record, QStringLiteral("one"), MsgButton::Ok);
        QCOMPARE(seen, QStringLiteral("QLabel { color: red; }"));
        writeSkin("QLabel { color: blue; }");
        answer(record, QStringLiteral("two"), MsgButton::Ok);
        QCOMPARE(seen, QStringLiteral("QLabel { color: blue; }"));
        setMsgBoxSkinFile(dir.filePath(QStringLiteral("missing.skn")));
        answer(record, QStringLiteral("three"), MsgButton::Ok);
        QVERIFY(seen.isEmpty());
        setMsgBoxSkinFile(defaultSkin());
    }

    void queuedAnswersSkipTheForm()
    {
        queueMsgBoxAnswer(6);
        queueMsgBoxAnswer(2);
        QCOMPARE(SkinMsgBox(QStringLiteral("Nimbra"), QStringLiteral("first"), MsgKind::Confirmation,
                            MsgButton::Yes | MsgButton::No),
                 6);
        QCOMPARE(
            SkinMsgBox(QStringLiteral("Nimbra"), QStringLiteral("second"), MsgKind::Error, MsgButton::Ok), 2);
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
            1);
    }
};

QTEST_MAIN(TestSkinMsgBox)
#include "TestSkinMsgBox.moc"
