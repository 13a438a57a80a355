#include "ui/CentreOnScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnScreen(QWidget& window, const QScreen* screen)
{
    if (screen != nullptr) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
}

void centreOnScreen(QWidget& window)
{
    centreOnScreen(window, QGuiApplication::primaryScreen());
}
