#pragma once

#include "core/MainView.h"

#include <deque>
#include <string>
#include <vector>

// The main window as the logic sees it: every message box is recorded and answered from
// a script (OK when the script is empty), without a window.
class FakeView : public MainView
{
public:
    struct Box
    {
        std::string caption;
        std::string text;
        MsgKind kind;
        std::uint16_t buttons;
        bool operator==(const Box&) const = default;
    };

    std::vector<Box> boxes;
    std::deque<int> answers;

    int SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                   std::uint16_t buttons) override
    {
        boxes.push_back({caption, text, kind, buttons});
        if (answers.empty()) {
            return kMsgResultOk;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
