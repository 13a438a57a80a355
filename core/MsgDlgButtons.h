#pragma once

#include <cstdint>
#include <vector>

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
