#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

namespace skin {

// Registers the skin's Qt resources. The program and the tests call it once at start; the
// functions below call it as well, so a forgotten call cannot leave a blank picture.
void initResources();

// The program's mark: a shield with a dot, the user kept out of sight.
QIcon programIcon();
// The mark at one size, for the menu entry's icons of the installed program.
QPixmap programPixmap(int size);
// Tray status images: 0 while the IP is hidden (green mark), 1 while it is not (grey mark
// struck through with a red bar, so the two differ in shape and brightness, not only in
// colour).
QList<QIcon> statusIcons();
// Frames of the busy animation: the mark with an arc turning around its dot.
QList<QIcon> busyFrames();

inline constexpr int kMsgDlgPictureSize = 42;
inline constexpr int kMsgDlgPictureCount = 4;
// The message-box pictures side by side: warning, stop, information, question.
QPixmap msgDlgStrip();
// One picture of the strip; a null pixmap for an index outside it.
QPixmap msgDlgPicture(int index);

} // namespace skin
