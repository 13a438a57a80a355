#pragma once

#include "core/BalloonIcon.h"
#include "core/MsgDlgButtons.h"
#include "core/UnblockMessage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The state of hiding as the tray shows it.
enum class DiruDOStatus : std::uint8_t { Busy = 0, On = 1, Off = 2 };

// Everything one status change shows: the icon (the busy animation for Busy, the on or off
// image otherwise), the hint, a balloon, and the enabled state of "&Diru DO" and
// "&Stop Diru DO" (nothing: left as they are).
struct TrayStatus
{
    DiruDOStatus kind = DiruDOStatus::Busy;
    std::string hint;
    std::string balloonTitle;
    std::string balloonText;
    BalloonIcon balloonIcon = BalloonIcon::None;
    int balloonMs = 0;
    std::optional<bool> diruDOEnabled;
    std::optional<bool> stopDiruDOEnabled;
    bool operator==(const TrayStatus&) const = default;
};

// The main window's two timers: timRead polls Warden, timReset reconnects once.
enum class MainTimer { Read, Reset };

// What only a window can do, as the program's logic asks it of the main window. The
// logic runs against this interface, so it is tested with a recording fake and no window.
class MainView
{
public:
    virtual ~MainView() = default;

    // The program's modal message box: returns the result of the pressed button, or
    // Cancel when the box is closed in any other way.
    virtual MsgResult SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                                 std::uint16_t buttons) = 0;
    virtual void showStatus(const TrayStatus& status) = 0;
    virtual void setTimer(MainTimer timer, bool enabled, int intervalMs) = 0;
    // The unblock dialog (firewall advice), modal, in the form for `reason`.
    virtual void ShowUnblock(UnblockReason reason) = 0;
    // The IP selection dialog, modal; opened by the handshake it cannot be cancelled.
    virtual void ShowIPSelection(bool openedByHandshake) = 0;
    // The update dialog, modal: downloads and starts the new version.
    virtual void ShowUpdate() = 0;
    // Enables or disables the tray menu's "&Diru DO" alone.
    virtual void setDiruDOEnabled(bool enabled) = 0;
    // The lines of the options page's bypass list, as they stand in the window.
    virtual std::vector<std::string> bypassLines() const = 0;
};
