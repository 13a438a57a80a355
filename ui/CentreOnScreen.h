#pragma once

class QScreen;
class QWidget;

// Places `window` in the middle of the screen's available area (the desktop without its
// panels), as every window of the program opens; nothing without a screen.
void centreOnScreen(QWidget& window, const QScreen* screen);
// The same on the primary screen.
void centreOnScreen(QWidget& window);
