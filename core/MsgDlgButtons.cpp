#include "core/MsgDlgButtons.h"

#include "core/MsgDlgLayout.h"

namespace {

// Result of each bit: Yes, No, OK, Cancel, Abort, Retry, Ignore, All, No to All, Yes to All.
constexpr int kResults[kMsgButtonBits] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10};
constexpr int kOkBit = 2;

} // namespace

std::vector<MsgDlgButton> msgDlgButtons(std::uint16_t set)
{
    std::vector<MsgDlgButton> buttons;
    for (int bit = 0; bit < kMsgButtonBits && buttons.size() < kMsgDlgMaxButtons; ++bit) {
        if (set & (1u << bit))
            buttons.push_back({bit, kResults[bit]});
    }
    if (buttons.empty())
        buttons.push_back({kOkBit, kResults[kOkBit]});
    return buttons;
}
