#pragma once

#include <QList>
#include <QString>
#include <cstdint>

// Message kinds and their icons.
enum class MsgKind : std::uint8_t { Warning = 0, Error = 1, Information = 2, Confirmation = 3, None = 4 };

// Button set: bit n offers button n; the pressed button's result is returned.
namespace MsgButton {
inline constexpr std::uint16_t Yes = 1 << 0;      // result 6
inline constexpr std::uint16_t No = 1 << 1;       // result 7
inline constexpr std::uint16_t Ok = 1 << 2;       // result 1
inline constexpr std::uint16_t Cancel = 1 << 3;   // result 2
inline constexpr std::uint16_t Abort = 1 << 4;    // result 3
inline constexpr std::uint16_t Retry = 1 << 5;    // result 4
inline constexpr std::uint16_t Ignore = 1 << 6;   // result 5
inline constexpr std::uint16_t All = 1 << 7;      // result 8
inline constexpr std::uint16_t NoToAll = 1 << 8;  // result 9
inline constexpr std::uint16_t YesToAll = 1 << 9; // result 10
} // namespace MsgButton

// Shows the program's modal message box and returns the result of the pressed button;
// closing it in any other way returns 2. The box loads the skin file set below anew for
// every message.
int SkinMsgBox(const QString& caption, const QString& text, MsgKind kind, std::uint16_t buttons);

// The skin file every message box loads; empty (the default) shows the box unskinned,
// as it must be before the settings are read.
void setMsgBoxSkinFile(const QString& skinFile);

// Test seam, so that flows with modal boxes run without a person: while answers are
// queued, SkinMsgBox records the call and returns the next answer without showing a box.
struct MsgBoxCall
{
    QString caption;
    QString text;
    MsgKind kind;
    std::uint16_t buttons;
};
void queueMsgBoxAnswer(int result);
QList<MsgBoxCall> takeMsgBoxCalls();
