#pragma once

#include "core/MainView.h"
#include "proxy/ProxySwitch.h"

// Tells the user what a proxy switch met, one box each, in the order it was met: a user.js
// that could not be changed, or a Firefox to restart; then each Chromium-family browser to
// restart.
void showSwitchReport(MainView& view, const ProxySwitch::Report& report);
