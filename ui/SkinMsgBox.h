#pragma once

#include "core/MsgDlgButtons.h"

#include <QList>
#include <QString>
#include <cstdint>

// Shows the program's modal message box and returns the result of the pressed button;
// closing it in any other way returns Cancel. The box loads the skin file set below anew for
// every message.
MsgResult SkinMsgBox(const QString& caption, const QString& text, MsgKind kind, std::uint16_t buttons);

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
void queueMsgBoxAnswer(MsgResult result);
QList<MsgBoxCall> takeMsgBoxCalls();
