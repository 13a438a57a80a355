#pragma once

#include "core/MainView.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The main window as the logic sees it, without a window: message boxes are recorded and
// answered from a script (OK when it is empty), and may run something first, as a modal
// box lets a timer tick run; statuses, timers and unblock dialogs are recorded.
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
    struct Timer
    {
        bool enabled = false;
        int intervalMs = 0;
        bool operator==(const Timer&) const = default;
    };

    std::vector<Box> boxes;
    std::deque<MsgResult> answers;
    // Runs while the next box is open, before it is answered.
    std::deque<std::function<void()>> whileOpen;
    std::vector<TrayStatus> statuses;
    std::map<MainTimer, Timer> timers;
    std::vector<UnblockReason> unblocks;
    // Runs while the next unblock dialog is open, as its Reconnect would.
    std::deque<std::function<void()>> whileUnblockOpen;
    // The IP selection dialogs opened: whether by the handshake.
    std::vector<bool> ipSelections;
    int updates = 0;
    std::optional<bool> diruDOEnabled;
    std::vector<std::string> memo;

    MsgResult SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                         std::uint16_t buttons) override
    {
        boxes.push_back({caption, text, kind, buttons});
        if (!whileOpen.empty()) {
            const auto during = std::move(whileOpen.front());
            whileOpen.pop_front();
            during();
        }
        if (answers.empty()) {
            return MsgResult::Ok;
        }
        const MsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showStatus(const TrayStatus& status) override { statuses.push_back(status); }
    void setTimer(MainTimer timer, bool enabled, int intervalMs) override
    {
        timers[timer] = {enabled, intervalMs};
    }
    void ShowUnblock(UnblockReason reason) override
    {
        unblocks.push_back(reason);
        if (!whileUnblockOpen.empty()) {
            const auto during = std::move(whileUnblockOpen.front());
            whileUnblockOpen.pop_front();
            during();
        }
    }
    void ShowIPSelection(bool openedByHandshake) override { ipSelections.push_back(openedByHandshake); }
    void ShowUpdate() override { ++updates; }
    void setDiruDOEnabled(bool enabled) override { diruDOEnabled = enabled; }
    std::vector<std::string> bypassLines() const override { return memo; }

    bool timerOn(MainTimer timer) const
    {
        const auto found = timers.find(timer);
        return found != timers.end() && found->second.enabled;
    }
};
