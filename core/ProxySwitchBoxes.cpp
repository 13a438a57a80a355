#include "core/ProxySwitchBoxes.h"

#include "core/Global.h"

namespace {

void askToRestart(MainView& view, const std::string& browser)
{
    view.SkinMsgBox(global::kAppTitle,
                    "Please Restart all " + browser + " windows in order to make Nimbra take effect.",
                    MsgKind::Warning, MsgButton::Ok);
}

} // namespace

void showSwitchReport(MainView& view, const ProxySwitch::Report& report)
{
    switch (report.firefox) {
    case FirefoxPrefsResult::NotWritable:
        view.SkinMsgBox(global::kAppTitle, "Can not change Firefox proxy settings!", MsgKind::Error,
                        MsgButton::Ok);
        break;
    case FirefoxPrefsResult::FirefoxOpen:
        askToRestart(view, "Firefox");
        break;
    case FirefoxPrefsResult::NoProfile:
    case FirefoxPrefsResult::Written:
        break;
    }
    for (const std::string& browser : report.browsersToRestart) {
        askToRestart(view, browser);
    }
}
