#include "core/MsgDlgButtons.h"

#include "core/MsgDlgLayout.h"

namespace {

// The result of each bit, in the order of the bits.
constexpr MsgResult kResults[kMsgButtonBits] = {
    MsgResult::Yes,   MsgResult::No,     MsgResult::Ok,  MsgResult::Cancel,  MsgResult::Abort,
    MsgResult::Retry, MsgResult::Ignore, MsgResult::All, MsgResult::NoToAll, MsgResult::YesToAll,
};
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
