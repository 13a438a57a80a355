#pragma once

#include <cstdint>
#include <vector>

// Results a message box returns for its OK and Cancel buttons; Cancel's is also the
// result of closing the box in any other way.
inline constexpr int kMsgResultOk = 1;
inline constexpr int kMsgResultCancel = 2;
inline constexpr int kMsgButtonBits = 10;

// One button a button set asks for: its bit in the set and the result it returns.
struct MsgDlgButton
{
    int bit = 0;
    int result = 0;
    bool operator==(const MsgDlgButton&) const = default;
};

// The buttons of `set` in set order (bit 0 first), at most three. A set naming none gets
// an OK button, so the box can still be answered.
std::vector<MsgDlgButton> msgDlgButtons(std::uint16_t set);
