#include "core/MsgDlgButtons.h"
#include "core/MsgDlgCopyText.h"
#include "core/MsgDlgLayout.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> lefts(const MsgDlgLayout& layout)
{
    std::vector<int> result;
    for (const MsgDlgRect& button : layout.buttons)
        result.push_back(button.left);
    return result;
}

TEST(MsgDlgLayout, ShortMessageKeepsTheDesignedHeight)
{
    const MsgDlgLayout layout = computeMsgDlgLayout(13, true, 1);
    EXPECT_EQ(layout.width, 336);
    EXPECT_EQ(layout.height, 179);
    EXPECT_EQ(layout.icon, (MsgDlgRect{24, 64, 40, 40}));
    EXPECT_EQ(layout.label, (MsgDlgRect{88, 64, 225, 13}));
    ASSERT_EQ(layout.buttons.size(), 1u);
    EXPECT_EQ(layout.buttons[0], (MsgDlgRect{239, 124, 73, 25}));
}

TEST(MsgDlgLayout, TallLabelPushesTheButtonsDownRightToLeft)
{
    const MsgDlgLayout layout = computeMsgDlgLayout(90, true, 3);
    EXPECT_EQ(layout.height, 64 + 90 + 75);
    EXPECT_EQ(lefts(layout), (std::vector<int>{239, 146, 53}));
    EXPECT_EQ(layout.buttons[2].top, 64 + 90 + 20);
}

TEST(MsgDlgLayout, WithoutIconTheTextMovesLeftAndSmallSetsNarrowTheForm)
{
    const MsgDlgLayout two = computeMsgDlgLayout(13, false, 2);
    EXPECT_EQ(two.label.left, 24);
    EXPECT_EQ(two.width, 272);
    EXPECT_EQ(lefts(two), (std::vector<int>{175, 82}));
    EXPECT_EQ(computeMsgDlgLayout(13, false, 3).width, 336);
}

TEST(MsgDlgButtons, WalksTheBitsInOrderKeepingThree)
{
    EXPECT_EQ(msgDlgButtons(0b11), (std::vector<MsgDlgButton>{{0, MsgResult::Yes}, {1, MsgResult::No}}));
    EXPECT_EQ(
        msgDlgButtons(0b1111000),
        (std::vector<MsgDlgButton>{{3, MsgResult::Cancel}, {4, MsgResult::Abort}, {5, MsgResult::Retry}}));
    EXPECT_EQ(
        msgDlgButtons(0b1111000000),
        (std::vector<MsgDlgButton>{{6, MsgResult::Ignore}, {7, MsgResult::All}, {8, MsgResult::NoToAll}}));
    EXPECT_EQ(msgDlgButtons(0b1000000100),
              (std::vector<MsgDlgButton>{{2, MsgResult::Ok}, {9, MsgResult::YesToAll}}));
    // A set naming no button, or only bits past Yes to All, still gets OK.
    EXPECT_EQ(msgDlgButtons(0), (std::vector<MsgDlgButton>{{2, MsgResult::Ok}}));
    EXPECT_EQ(msgDlgButtons(0xfc00), (std::vector<MsgDlgButton>{{2, MsgResult::Ok}}));
}

TEST(MsgDlgCopyText, FramesTitleTextAndButtonsWithRules)
{
    const std::string rule(27, '-');
    EXPECT_EQ(msgDlgCopyText("Nimbra", "Quit now?", {"&No", "&Yes"}),
              rule + "\r\nNimbra\r\n" + rule + "\r\nQuit now?\r\n" + rule + "\r\n&No   &Yes\r\n" + rule);
    EXPECT_EQ(msgDlgCopyText("T", "a\nb\r\nc\rd", {"&OK"}),
              rule + "\r\nT\r\n" + rule + "\r\na\r\nb\r\nc\r\nd\r\n" + rule + "\r\n&OK\r\n" + rule);
}

} // namespace
