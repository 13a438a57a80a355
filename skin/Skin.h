#pragma once

#include <QString>

class QWidget;

namespace skin {

// Height of the skinned title bar that every form draws at its top.
inline constexpr int kTitleBarHeight = 30;

// Loads the skin file (a Qt style sheet) into `form`. Returns false, leaving the form
// as it was, when the file cannot be read. Every form and message box calls this.
bool loadSkin(QWidget* form, const QString& skinFile);

} // namespace skin
