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

// The main window's two timers: timRead reads Warden each second, timReset reconnects once.
enum class MainTimer { Read, Reset };

// What only a window can do, as the program's logic asks it of the main window. The
// logic runs against this interface, so it is tested with a recording fake and no window.
class MainView
{
public:
    virtual ~MainView() = default;

    // The program's modal message box: returns the result of the pressed button, or
    // Cancel when the box is closed in any other way, or not shown because the program closes.
    virtual MsgResult SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                                 std::uint16_t buttons) = 0;
    virtual void showStatus(const TrayStatus& status) = 0;
    virtual void setTimer(MainTimer timer, bool enabled, int intervalMs) = 0;
    // Watches `descriptor`, Warden's output, in place of any watched before (nothing:
    // none): while the read timer is on, the window runs WardenControl::wardenOutputReady
    // whenever it is readable, though not again while that runs.
    virtual void watchWardenOutput(std::optional<int> descriptor) = 0;
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
    // Whether the options page's start-with-Windows box is ticked.
    virtual bool startWithWindows() const = 0;
    // The options page shows these values.
    virtual void showOptions(bool startWithWindows, const std::vector<std::string>& bypass) = 0;

    // Applies the skin file to the window and its boxes; false when it cannot be read.
    virtual bool loadSkin(const std::string& skinFile) = 0;
    // The program's icon appears in the notification area (or its window, without one).
    virtual void showInTray() = 0;
    // The standard error box, titled with the program's name; not shown while the program
    // closes.
    virtual void showError(const std::string& text) = 0;
    // From now on nothing waits for a person: boxes and dialogs are passed over.
    virtual void beginClosing() = 0;
    // Closes the main window, which ends the program.
    virtual void closeWindow() = 0;
};
