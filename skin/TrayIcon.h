#pragma once

#include "core/BalloonIcon.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The tray icon component: an icon taken from an image list, frame animation, hint,
// balloons, the pop-up menu on a left or right click, minimize to tray, and the start-up
// event that decides whether the main window shows. Its state is readable, since the
// offscreen platform of the tests has no tray.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBalloonTitleMax = 63;
    static constexpr int kBalloonTextMax = 255;
    static constexpr int kDefaultAnimateIntervalMs = 300;

    struct Balloon
    {
        QString title;
        QString text;
        BalloonIcon icon = BalloonIcon::None;
        int timeoutMs = 0;
    };

    explicit TrayIcon(QWidget* mainForm);
    ~TrayIcon() override;

    // Image list and the index of the image shown.
    void setImageList(const QList<QIcon>& images);
    void setIconIndex(int index);
    int iconIndex() const;
    // Frame animation: steps through the image list every `intervalMs`.
    void setAnimate(bool on);
    bool isAnimating() const;
    void setAnimateInterval(int intervalMs);

    void setHint(const QString& hint);
    QString hint() const;

    // Title is cut at 63 characters and text at 255; a new balloon replaces one showing.
    void showBalloon(const QString& title, const QString& text, BalloonIcon icon, int timeoutMs);
    Balloon lastBalloon() const;

    // The menu that a left or right click on the icon opens.
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const;
    // Opens the pop-up menu at the cursor, as a click on the icon does.
    void popUpMenu();

    // Minimizing the main form hides it instead of leaving a taskbar button.
    void setMinimizeToTray(bool on);
    void showMainForm();
    void hideMainForm();

    // Shows the icon and asks, through `startup`, whether the main form is to be shown.
    // Where the desktop has no notification area the main form shows all the same, so
    // the program stays reachable.
    void start();
    // Whether the desktop has a notification area; virtual so tests can stand in for
    // either kind of desktop.
    virtual bool trayAvailable() const;

signals:
    // Handlers set `showMainForm` to false to keep the main form hidden after start-up.
    void startup(bool& showMainForm);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyIcon();

    QWidget* m_mainForm;
    QSystemTrayIcon* m_tray;
    QList<QIcon> m_images;
    int m_index = 0;
    QTimer m_animation;
    QString m_hint;
    Balloon m_lastBalloon;
    QMenu* m_menu = nullptr;
    bool m_minimizeToTray = false;
};
