#pragma once

#include "ui/MsgDlgButtons.h"

#include <cstdint>
#include <string>

// What only a window can do, as the program's logic asks it of the main window. The
// logic runs against this interface, so it is tested with a recording fake and no window.
class MainView
{
public:
    virtual ~MainView() = default;

    // The program's modal message box: returns the result of the pressed button, or 2
    // when the box is closed in any other way.
    virtual int SkinMsgBox(const std::string& caption, const std::string& text, MsgKind kind,
                           std::uint16_t buttons) = 0;
};
