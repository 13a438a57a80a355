#pragma once

#include <cstdint>
#include <vector>

// Message kinds and their icons.
enum class MsgKind : std::uint8_t { Warning = 0, Error = 1, Information = 2, Confirmation = 3, None = 4 };

// What a message box returns: the result of the pressed button; Cancel's is also the
// result of closing the box in any other way.
enum class MsgResult : int {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
    All = 8,
    NoToAll = 9,
    YesToAll = 10,
};

// Button set: bit n offers button n; the pressed button's result is returned.
namespace MsgButton {
inline constexpr std::uint16_t Yes = 1 << 0;
inline constexpr std::uint16_t No = 1 << 1;
inline constexpr std::uint16_t Ok = 1 << 2;
inline constexpr std::uint16_t Cancel = 1 << 3;
inline constexpr std::uint16_t Abort = 1 << 4;
inline constexpr std::uint16_t Retry = 1 << 5;
inline constexpr std::uint16_t Ignore = 1 << 6;
inline constexpr std::uint16_t All = 1 << 7;
inline constexpr std::uint16_t NoToAll = 1 << 8;
inline constexpr std::uint16_t YesToAll = 1 << 9;
} // namespace MsgButton

inline constexpr int kMsgButtonBits = 10;

// One button a button set asks for: its bit in the set and the result it returns.
struct MsgDlgButton
{
    int bit = 0;
    MsgResult result = MsgResult::Ok;
    bool operator==(const MsgDlgButton&) const = default;
};

// The buttons of `set` in set order (bit 0 first), at most three. A set naming none gets
// an OK button, so the box can still be answered.
std::vector<MsgDlgButton> msgDlgButtons(std::uint16_t set);
