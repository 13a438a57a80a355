#pragma once

#include <vector>

// Geometry of the message form, whole window (title bar included), in pixels.
struct MsgDlgRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const MsgDlgRect&) const = default;
};

inline constexpr int kMsgDlgWidth = 336;
// A form without an icon and with fewer than three buttons needs no room for either.
inline constexpr int kMsgDlgNarrowWidth = 272;
inline constexpr int kMsgDlgContentTop = 64;
inline constexpr int kMsgDlgIconLeft = 24;
inline constexpr int kMsgDlgIconSize = 40;
inline constexpr int kMsgDlgLabelLeftWithIcon = 88;
inline constexpr int kMsgDlgLabelWidth = 225;
inline constexpr int kMsgDlgButtonWidth = 73;
inline constexpr int kMsgDlgButtonHeight = 25;
inline constexpr int kMsgDlgMaxButtons = 3;

struct MsgDlgLayout
{
    int width = 0;
    int height = 0;
    bool showIcon = false;
    MsgDlgRect icon;
    MsgDlgRect label;
    // In the order the buttons are created: the rightmost first.
    std::vector<MsgDlgRect> buttons;
};

// Lays out the form for a label that wraps to `labelHeight` at kMsgDlgLabelWidth; the
// buttons go below the icon or the text, whichever ends lower.
MsgDlgLayout computeMsgDlgLayout(int labelHeight, bool hasIcon, int buttonCount);
