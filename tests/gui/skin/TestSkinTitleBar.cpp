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
        form.resize(300, 100);
        auto* bar = new SkinTitleBar(&form);
        bar->setGeometry(0, 0, 300, 30);
        QCOMPARE(bar->button(SkinTitleBar::CloseButton), nullptr);
        bar->setButtons(SkinTitleBar::MinimizeButton | SkinTitleBar::CloseButton);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QToolButton* minimize = bar->button(SkinTitleBar::MinimizeButton);
        QToolButton* close = bar->button(SkinTitleBar::CloseButton);
        QVERIFY(minimize && minimize->isVisible() && close && close->isVisible());
        QCOMPARE(bar->button(SkinTitleBar::HelpButton), nullptr);
        QCOMPARE(bar->button(SkinTitleBar::WindowMenuButton), nullptr);
        // Right-aligned, close outermost.
        QVERIFY(minimize->x() > 150 && minimize->x() < close->x());
        int visible = 0;
        for (const QToolButton* b : bar->findChildren<QToolButton*>())
            visible += b->isVisible() ? 1 : 0;
        QCOMPARE(visible, 2);
        QVERIFY(!close->accessibleName().isEmpty() && close->accessibleName() != minimize->accessibleName());

        bar->setButtons(SkinTitleBar::HelpButton);
        QVERIFY(!close->isVisible());
        QVERIFY(bar->button(SkinTitleBar::HelpButton)->isVisible());
    }

    void buttonsEmitTheirSignals()
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
        QList<QSignalSpy*> spies;
        for (const auto& c : cases)
            spies.append(new QSignalSpy(&bar, c.second));
        for (qsizetype i = 0; i < cases.size(); ++i) {
            bar.button(cases[i].first)->click();
            for (qsizetype j = 0; j < spies.size(); ++j)
                QCOMPARE(spies[j]->size(), j <= i ? 1 : 0);
        }
        qDeleteAll(spies);
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
        sendMouse(bar, QEvent::MouseButtonRelease, start + QPoint(90, 40), Qt::LeftButton, Qt::NoButton);
        sendMouse(bar, QEvent::MouseMove, start + QPoint(200, 100), Qt::NoButton, Qt::NoButton);
        QCOMPARE(form.pos(), start + QPoint(40, 30));

        // A right-button drag leaves the window where it is.
        const QPoint moved = form.pos();
        sendMouse(bar, QEvent::MouseButtonPress, moved + QPoint(50, 10), Qt::RightButton, Qt::RightButton);
        sendMouse(bar, QEvent::MouseMove, moved + QPoint(80, 60), Qt::NoButton, Qt::RightButton);
        QCOMPARE(form.pos(), moved);
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
