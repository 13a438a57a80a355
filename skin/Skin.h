#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace skin {

// Height of the skinned title bar that every form draws at its top.
inline constexpr int kTitleBarHeight = 30;

// The largest skin file read; the default skin is a few KiB.
inline constexpr qint64 kMaxSkinFileSize = 1024 * 1024;

// The style sheet in `skinFile`, or nothing when it is not a regular file of at most
// kMaxSkinFileSize bytes or cannot be read. A device, a pipe or a giant file counts as no
// skin at all, so a bad setting can neither hang the start-up nor exhaust memory.
std::optional<QString> readSkin(const QString& skinFile);

// Loads the skin file (a Qt style sheet) into `form`. Returns false, leaving the form
// as it was, when readSkin() finds no skin there. Every form and message box calls this.
bool loadSkin(QWidget* form, const QString& skinFile);

} // namespace skin
