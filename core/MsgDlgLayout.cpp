#include "core/MsgDlgLayout.h"

#include <algorithm>

namespace {

constexpr int kButtonGap = 20;   // from the content's bottom to the buttons' top
constexpr int kBottomExtra = 75; // from the content's bottom to the form's bottom
constexpr int kRightEdge = 97;   // from the rightmost button's left to the form's right
constexpr int kButtonStep = 93;  // from one button's left to the next one's

} // namespace

MsgDlgLayout computeMsgDlgLayout(int labelHeight, bool hasIcon, int buttonCount)
{
    MsgDlgLayout layout;
    layout.showIcon = hasIcon;
    layout.width = !hasIcon && buttonCount < kMsgDlgMaxButtons ? kMsgDlgNarrowWidth : kMsgDlgWidth;
    layout.icon = {kMsgDlgIconLeft, kMsgDlgContentTop, kMsgDlgIconSize, kMsgDlgIconSize};
    layout.label = {hasIcon ? kMsgDlgLabelLeftWithIcon : kMsgDlgIconLeft, kMsgDlgContentTop,
                    kMsgDlgLabelWidth, labelHeight};
    // The icon's designed bottom counts even without an icon, so short messages keep one
    // form height.
    const int contentBottom = std::max(layout.icon.bottom(), layout.label.bottom());
    for (int i = 0; i < std::clamp(buttonCount, 0, kMsgDlgMaxButtons); ++i) {
        layout.buttons.push_back({layout.width - kRightEdge - kButtonStep * i, contentBottom + kButtonGap,
                                  kMsgDlgButtonWidth, kMsgDlgButtonHeight});
    }
    layout.height = contentBottom + kBottomExtra;
    return layout;
}
