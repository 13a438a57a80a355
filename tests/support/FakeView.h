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
// box lets a timer tick run; statuses, timers, the watched output, dialogs, the options,
// the skin and errors are recorded. Once closing, like the window, it shows no box, dialog
// or error.
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
    // The descriptor of Warden's output watched, and each call in order.
    std::optional<int> watchedOutput;
    std::vector<std::optional<int>> watchCalls;
    // Runs as each watch is asked for, before it takes effect.
    std::function<void()> onWatch;
    std::vector<UnblockReason> unblocks;
    // Runs while the next unblock dialog is open, as its Reconnect would.
    std::deque<std::function<void()>> whileUnblockOpen;
    // The IP selection dialogs opened: whether by the handshake.
    std::vector<bool> ipSelections;
    int updates = 0;
    std::optional<bool> diruDOEnabled;
    // The options page: what the user sees and edits.
    std::vector<std::string> memo;
    bool startWithWindowsTicked = false;
    // The skin files applied, and whether applying one succeeds.
    std::vector<std::string> skins;
    bool skinLoads = true;
    bool inTray = false;
    std::vector<std::string> errors;
    bool closing = false;
    int closes = 0;
    // Runs as the window closes, as its close event would.
    std::function<void()> onClose;

    MsgResult SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                         std::uint16_t buttons) override
    {
        if (closing) {
            return MsgResult::Cancel;
        }
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
    void watchWardenOutput(std::optional<int> descriptor) override
    {
        if (onWatch) {
            onWatch();
        }
        watchCalls.push_back(descriptor);
        watchedOutput = descriptor;
    }
    void ShowUnblock(UnblockReason reason) override
    {
        if (closing) {
            return;
        }
        unblocks.push_back(reason);
        if (!whileUnblockOpen.empty()) {
            const auto during = std::move(whileUnblockOpen.front());
            whileUnblockOpen.pop_front();
            during();
        }
    }
    void ShowIPSelection(bool openedByHandshake) override
    {
        if (!closing) {
            ipSelections.push_back(openedByHandshake);
        }
    }
    void ShowUpdate() override { updates += closing ? 0 : 1; }
    void setDiruDOEnabled(bool enabled) override { diruDOEnabled = enabled; }
    std::vector<std::string> bypassLines() const override { return memo; }
    bool startWithWindows() const override { return startWithWindowsTicked; }
    void showOptions(bool startWithWindows, const std::vector<std::string>& bypass) override
    {
        startWithWindowsTicked = startWithWindows;
        memo = bypass;
    }
    bool loadSkin(const std::string& skinFile) override
    {
        skins.push_back(skinFile);
        return skinLoads;
    }
    void showInTray() override { inTray = true; }
    void showError(const std::string& text) override
    {
        if (!closing) {
            errors.push_back(text);
        }
    }
    void beginClosing() override { closing = true; }
    void closeWindow() override
    {
        closing = true;
        ++closes;
        if (onClose) {
            onClose();
        }
    }

    bool timerOn(MainTimer timer) const
    {
        const auto found = timers.find(timer);
        return found != timers.end() && found->second.enabled;
    }
    // Whether a window would now read Warden's output as it arrives.
    bool readsOnData() const { return watchedOutput && timerOn(MainTimer::Read); }
};
