#include "ui/MsgDlgButtons.h"
#include "ui/MsgDlgCopyText.h"
#include "ui/MsgDlgLayout.h"

#include <gtest/gtest.h>

namespace {

constexpr int kOneLine = 13;

TEST(MsgDlgLayout, ShortMessageKeepsTheDesignedHeight)
{
    const MsgDlgLayout layout = computeMsgDlgLayout(kOneLine, true, 1);
    EXPECT_EQ(layout.width, 336);
    EXPECT_EQ(layout.height, 179);
    EXPECT_TRUE(layout.showIcon);
    EXPECT_EQ(layout.icon, (MsgDlgRect{24, 64, 40, 40}));
    EXPECT_EQ(layout.label, (MsgDlgRect{88, 64, 225, kOneLine}));
    ASSERT_EQ(layout.buttons.size(), 1u);
    EXPECT_EQ(layout.buttons[0], (MsgDlgRect{239, 124, 73, 25}));
}

TEST(MsgDlgLayout, ButtonsRunRightToLeftAndFollowATallLabel)
{
    const MsgDlgLayout layout = computeMsgDlgLayout(90, true, 3);
    // The label ends at 154, below the icon's 104.
    EXPECT_EQ(layout.height, 154 + 75);
    ASSERT_EQ(layout.buttons.size(), 3u);
    EXPECT_EQ(layout.buttons[0].left, 239);
    EXPECT_EQ(layout.buttons[1].left, 146);
    EXPECT_EQ(layout.buttons[2].left, 53);
    for (const MsgDlgRect& button : layout.buttons)
        EXPECT_EQ(button.top, 174);
}

TEST(MsgDlgLayout, WithoutIconTheTextMovesLeftAndTheFormNarrows)
{
    const MsgDlgLayout two = computeMsgDlgLayout(kOneLine, false, 2);
    EXPECT_FALSE(two.showIcon);
    EXPECT_EQ(two.label.left, 24);
    EXPECT_EQ(two.width, 272);
    EXPECT_EQ(two.height, 179);
    EXPECT_EQ(two.buttons[0].left, 175);
    EXPECT_EQ(two.buttons[1].left, 82);
    // Three buttons need the full width.
    EXPECT_EQ(computeMsgDlgLayout(kOneLine, false, 3).width, 336);
}

TEST(MsgDlgButtons, WalksTheBitsInOrderWithTheirResults)
{
    EXPECT_EQ(msgDlgButtons(0b11), (std::vector<MsgDlgButton>{{0, 6}, {1, 7}}));
    EXPECT_EQ(msgDlgButtons(0b1100), (std::vector<MsgDlgButton>{{2, 1}, {3, 2}}));
    EXPECT_EQ(msgDlgButtons(0b1110000), (std::vector<MsgDlgButton>{{4, 3}, {5, 4}, {6, 5}}));
    EXPECT_EQ(msgDlgButtons(0b1110000000), (std::vector<MsgDlgButton>{{7, 8}, {8, 9}, {9, 10}}));
}

TEST(MsgDlgButtons, KeepsThreeAndFallsBackToOk)
{
    EXPECT_EQ(msgDlgButtons(0b1111), (std::vector<MsgDlgButton>{{0, 6}, {1, 7}, {2, 1}}));
    EXPECT_EQ(msgDlgButtons(0), (std::vector<MsgDlgButton>{{2, 1}}));
    // Bits past Yes to All name no button.
    EXPECT_EQ(msgDlgButtons(0xfc00), (std::vector<MsgDlgButton>{{2, 1}}));
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
