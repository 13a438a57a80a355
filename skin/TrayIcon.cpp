#include "skin/TrayIcon.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

// Cuts `text` to at most `max` UTF-16 units (the unit the notification area counts in),
// never between the two halves of a surrogate pair.
QString cut(const QString& text, int max)
{
    if (text.size() <= max)
        return text;
    int length = max;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QSystemTrayIcon::MessageIcon messageIcon(BalloonIcon icon)
{
    switch (icon) {
    case BalloonIcon::Information:
        return QSystemTrayIcon::Information;
    case BalloonIcon::Warning:
        return QSystemTrayIcon::Warning;
    case BalloonIcon::Error:
        return QSystemTrayIcon::Critical;
    case BalloonIcon::None:
        break;
    }
    return QSystemTrayIcon::NoIcon;
}

} // namespace

TrayIcon::TrayIcon(QWidget* mainForm)
    : QObject(mainForm), m_mainForm(mainForm), m_tray(new QSystemTrayIcon(this))
{
    // A timer left at 0 ms would redraw the icon as fast as the event loop spins.
    m_animation.setInterval(kDefaultAnimateIntervalMs);
    connect(&m_animation, &QTimer::timeout, this, [this] {
        if (m_images.isEmpty())
            return;
        m_index = (m_index >= 0 && m_index + 1 < m_images.size()) ? m_index + 1 : 0;
        applyIcon();
    });
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // On X11 the tray has already opened the context menu for a right click by the
        // time it reports it; opening it again would stack a second menu.
        if (reason == QSystemTrayIcon::Trigger ||
            (reason == QSystemTrayIcon::Context && !(m_menu != nullptr && m_menu->isVisible())))
            popUpMenu();
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setImageList(const QList<QIcon>& images)
{
    m_images = images;
    applyIcon();
}

void TrayIcon::setIconIndex(int index)
{
    m_index = index;
    applyIcon();
}

int TrayIcon::iconIndex() const
{
    return m_index;
}

void TrayIcon::setAnimate(bool on)
{
    if (on)
        m_animation.start();
    else
        m_animation.stop();
}

bool TrayIcon::isAnimating() const
{
    return m_animation.isActive();
}

void TrayIcon::setAnimateInterval(int intervalMs)
{
    m_animation.setInterval(intervalMs);
}

void TrayIcon::setHint(const QString& hint)
{
    m_hint = hint;
    m_tray->setToolTip(hint);
}

QString TrayIcon::hint() const
{
    return m_hint;
}

void TrayIcon::showBalloon(const QString& title, const QString& text, BalloonIcon icon, int timeoutMs)
{
    m_lastBalloon = {cut(title, kBalloonTitleMax), cut(text, kBalloonTextMax), icon, timeoutMs};
    // showMessage replaces a balloon that is still showing.
    m_tray->showMessage(m_lastBalloon.title, m_lastBalloon.text, messageIcon(icon), timeoutMs);
}

TrayIcon::Balloon TrayIcon::lastBalloon() const
{
    return m_lastBalloon;
}

void TrayIcon::setPopupMenu(QMenu* menu)
{
    m_menu = menu;
    // Trays that draw the menu themselves (a desktop's own notification area) need it
    // handed over; the X11 tray shows it on a right click.
    m_tray->setContextMenu(menu);
}

QMenu* TrayIcon::popupMenu() const
{
    return m_menu;
}

void TrayIcon::popUpMenu()
{
    if (m_menu == nullptr)
        return;
    m_menu->popup(QCursor::pos());
}

void TrayIcon::setMinimizeToTray(bool on)
{
    m_minimizeToTray = on;
    if (m_mainForm == nullptr)
        return;
    if (on)
        m_mainForm->installEventFilter(this);
    else
        m_mainForm->removeEventFilter(this);
}

void TrayIcon::showMainForm()
{
    if (m_mainForm == nullptr)
        return;
    m_mainForm->setWindowState(m_mainForm->windowState() & ~Qt::WindowMinimized);
    m_mainForm->show();
    m_mainForm->raise();
    m_mainForm->activateWindow();
}

void TrayIcon::hideMainForm()
{
    if (m_mainForm != nullptr)
        m_mainForm->hide();
}

void TrayIcon::start()
{
    m_tray->show();
    bool show = true;
    emit startup(show);
    if (show || !trayAvailable())
        showMainForm();
}

bool TrayIcon::trayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    // Without a notification area a hidden form could not be brought back, so it then
    // stays minimized on the taskbar.
    if (m_minimizeToTray && watched == m_mainForm && event->type() == QEvent::WindowStateChange &&
        m_mainForm->isMinimized() && trayAvailable()) {
        // Hiding from inside the state change confuses some window managers; hide once it
        // has been handled.
        QMetaObject::invokeMethod(m_mainForm, &QWidget::hide, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void TrayIcon::applyIcon()
{
    m_tray->setIcon(m_images.value(m_index));
}
