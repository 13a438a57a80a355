#include "skin/Icons.h"
#include "skin/SkinTitleBar.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {

void sendMouse(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, target->mapFromGlobal(QPointF(global)), QPointF(global), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class TestSkinTitleBar : public QObject
{
    Q_OBJECT
private slots:
    void showsTheRequestedButtonsOnly()
    {
        QWidget form;
        auto* bar = new SkinTitleBar(&form);
        bar->setGeometry(0, 0, 300, 30);
        bar->setButtons(SkinTitleBar::MinimizeButton | SkinTitleBar::CloseButton);
        form.show();
        QToolButton* minimize = bar->button(SkinTitleBar::MinimizeButton);
        QToolButton* close = bar->button(SkinTitleBar::CloseButton);
        QVERIFY(minimize && minimize->isVisible() && close && close->isVisible());
        QCOMPARE(bar->button(SkinTitleBar::HelpButton), nullptr);
        QCOMPARE(bar->button(SkinTitleBar::WindowMenuButton), nullptr);
        // Right-aligned, close outermost.
        QVERIFY(minimize->x() > 150 && minimize->x() < close->x());

        bar->setButtons(SkinTitleBar::HelpButton);
        QVERIFY(!close->isVisible());
        QVERIFY(bar->button(SkinTitleBar::HelpButton)->isVisible());
    }

    void buttonsEmitTheirOwnSignals()
    {
        SkinTitleBar bar;
        bar.setButtons(SkinTitleBar::WindowMenuButton | SkinTitleBar::HelpButton |
                       SkinTitleBar::MinimizeButton | SkinTitleBar::CloseButton);
        const QList<QPair<SkinTitleBar::Button, void (SkinTitleBar::*)()>> cases = {
            {SkinTitleBar::WindowMenuButton, &SkinTitleBar::windowMenuClicked},
            {SkinTitleBar::HelpButton, &SkinTitleBar::helpClicked},
            {SkinTitleBar::MinimizeButton, &SkinTitleBar::minimizeClicked},
            {SkinTitleBar::CloseButton, &SkinTitleBar::closeClicked},
        };
        for (const auto& [button, signal] : cases) {
            QSignalSpy own(&bar, signal);
            QSignalSpy close(&bar, &SkinTitleBar::closeClicked);
            bar.button(button)->click();
            QCOMPARE(own.size(), 1);
            QCOMPARE(close.size(), button == SkinTitleBar::CloseButton ? 1 : 0);
        }
    }

    void leftDragMovesTheWindow()
    {
        QWidget form(nullptr, Qt::FramelessWindowHint);
        form.setGeometry(100, 100, 300, 200);
        auto* bar = new SkinTitleBar(&form);
        bar->setGeometry(0, 0, 300, 30);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint start = form.pos();
        sendMouse(bar, QEvent::MouseButtonPress, start + QPoint(50, 10), Qt::LeftButton, Qt::LeftButton);
        sendMouse(bar, QEvent::MouseMove, start + QPoint(90, 40), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(form.pos(), start + QPoint(40, 30));
        // After the release, and for the right button, moving the mouse leaves it there.
        sendMouse(bar, QEvent::MouseButtonRelease, start + QPoint(90, 40), Qt::LeftButton, Qt::NoButton);
        sendMouse(bar, QEvent::MouseMove, start + QPoint(200, 100), Qt::NoButton, Qt::NoButton);
        sendMouse(bar, QEvent::MouseButtonPress, start + QPoint(90, 40), Qt::RightButton, Qt::RightButton);
        sendMouse(bar, QEvent::MouseMove, start + QPoint(150, 90), Qt::NoButton, Qt::RightButton);
        QCOMPARE(form.pos(), start + QPoint(40, 30));
    }

    void showsTheWindowIconSetLater()
    {
        QWidget form;
        auto* bar = new SkinTitleBar(&form);
        const auto* icon = bar->findChild<QLabel*>(QStringLiteral("suiIcon"));
        QVERIFY(icon->pixmap().isNull());
        form.setWindowIcon(skin::programIcon());
        QCOMPARE(icon->pixmap().size(), QSize(16, 16));
    }
};

QTEST_MAIN(TestSkinTitleBar)
#include "TestSkinTitleBar.moc"
