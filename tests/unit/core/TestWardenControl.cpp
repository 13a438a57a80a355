#include "core/WardenControl.h"

#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"
#include "warden/StatusEvents.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class Hiding : public testing::Test
{
protected:
    Hiding() { start("app"); }

    // A control whose application folder is `folder` (below the test's own), with Warden
    // in it.
    void start(const std::string& folder, const std::string& port = "7070")
    {
        m_folder = m_dir.makeFolder(folder) + "/";
        m_dir.writeFile(folder + "/" + platform::kWardenProgram, "");
        m_log = std::make_unique<ActivityLog>(m_fake.clock, m_dir.file("report.txt"));
        m_control = std::make_unique<WardenControl>(
            m_fake.host(), m_view, *m_log, m_servers,
            WardenControl::Settings{m_folder, port, m_dir.file("restore.json")});
    }

    // Warden started, with `output` waiting in its pipe, read by as many ticks as it takes.
    void run(const std::string& output)
    {
        if (m_fake.processes.children.empty()) {
            m_control->DiruDO("exit.example", "1080", "user", "key");
        }
        m_fake.processes.latest().output += output;
        while (!m_fake.processes.latest().output.empty()) {
            m_control->timReadTimer();
        }
    }

    // The log's messages without their time stamps.
    Lines logged() const
    {
        Lines messages;
        for (const std::string& line : m_log->lines()) {
            messages.push_back(line.substr(line.find(" ] ") + 3));
        }
        return messages;
    }

    const TrayStatus& lastStatus() const { return m_view.statuses.back(); }

    TempDir m_dir;
    FakeHost m_fake;
    FakeView m_view;
    ExitServers m_servers;
    std::string m_folder;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<WardenControl> m_control;
};

} // namespace

TEST_F(Hiding, DiruDOStartsWardenWithItsValuesAndPolls)
{
    start("my apps", "8080");
    m_control->DiruDO("exit.example", "1080", "user", "key");
    ASSERT_EQ(m_fake.processes.starts.size(), 1u);
    EXPECT_EQ(m_fake.processes.starts[0].program, m_folder + platform::kWardenProgram);
    EXPECT_EQ(m_fake.processes.starts[0].arguments,
              (Lines{"-name", "user", "-key", "key", "-do", "-H", "8080", "-dirudo", "-port", "1080", "-say",
                     "exit.example"}));
    // A path with blanks is quoted, so the text reads as what was started.
    EXPECT_EQ(m_control->commandLine(),
              "\"" + m_folder + platform::kWardenProgram +
                  "\" -name user -key key -do -H 8080 -dirudo -port 1080 -say exit.example");
    EXPECT_EQ(lastStatus(), (TrayStatus{DiruDOStatus::Busy, "Connecting to Internet. Please wait...",
                                        "Nimbra", "Connecting to Internet. Please wait...",
                                        BalloonIcon::Information, 10000, std::nullopt, std::nullopt}));
    EXPECT_EQ(m_view.timers[MainTimer::Read], (FakeView::Timer{true, 1000}));
    EXPECT_EQ(wardenCommandLine("/opt/nimbra/warden", {"-say", "h"}), "/opt/nimbra/warden -say h");
}

TEST_F(Hiding, AMissingOrUnstartableWarden)
{
    start("empty");
    std::filesystem::remove(m_folder + platform::kWardenProgram);
    m_control->DiruDO("exit.example", "1080", "user", "key");
    ASSERT_EQ(m_view.boxes.size(), 1u);
    EXPECT_EQ(m_view.boxes[0],
              (FakeView::Box{"Nimbra", "Can not find Warden!", MsgKind::Error, MsgButton::Ok}));
    EXPECT_TRUE(m_view.statuses.empty());
    EXPECT_TRUE(m_fake.processes.starts.empty());

    start("app");
    m_fake.processes.failStart = true;
    EXPECT_THROW(
        {
            try {
                m_control->DiruDO("exit.example", "1080", "user", "key");
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "Error to start Warden!");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::Busy);
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
}

TEST_F(Hiding, CodesThatAreOnlyLoggedOrNotEvenThat)
{
    run("160036 resolving\n160032\n160238\n160270\n160239\n110033\n171001\n160244\n160037\n160207\n"
        "160199\n160325\n160129 anything\n999999 unknown\n1601\n\n");
    EXPECT_EQ(logged(),
              (Lines{"Searching...", "Connecting...", "Identifying", "Identifying", "Connected",
                     "Connection time out", "Mission failed", "Identify failed", "Disconnected from Internet",
                     "Destination not available", "Reconnect...", "999999", "1601", ""}));
    EXPECT_EQ(m_view.statuses.size(), 1u); // DiruDO's Busy alone
    EXPECT_TRUE(m_view.boxes.empty());
    EXPECT_TRUE(m_view.unblocks.empty());
    EXPECT_TRUE(m_fake.systemProxy.calls.empty());
    EXPECT_EQ(m_control->hidingPhase(), HidingPhase::NotConfirmed);
}

TEST_F(Hiding, CodesThatChangeTheStatus)
{
    const struct
    {
        const char* line;
        Lines log;
        DiruDOStatus kind;
        const char* text;
        BalloonIcon icon;
        const char* box; // an error box's text, or empty
    } rows[] = {
        {"160138 ready", {"Diru DO ON"}, DiruDOStatus::On, "Diru DO ON", BalloonIcon::Information, ""},
        {"160033",
         {"Warden can not connect to the Internet", "Please unblock Nimbra"},
         DiruDOStatus::Off,
         "Can not connect to the Internet",
         BalloonIcon::Information,
         ""},
        {"160243",
         {"SilentUpdate Error"},
         DiruDOStatus::Off,
         "SilentUpdate Error",
         BalloonIcon::Error,
         "SilentUpdate Error. Please restart Nimbra."},
        {"160034",
         {"Connection Failed 160034"},
         DiruDOStatus::Off,
         "Connection Failed 160034",
         BalloonIcon::Error,
         "Connection Failed 160034. Please disable any firewall on the way and try again."},
    };
    for (const auto& row : rows) {
        m_fake = {};
        m_view = {};
        start("app");
        run(std::string(row.line) + "\r\n");
        const bool on = row.kind == DiruDOStatus::On;
        EXPECT_EQ(logged(), row.log) << row.line;
        EXPECT_EQ(lastStatus(), (TrayStatus{row.kind, on ? "Diru DO ON" : "Diru DO OFF", "Nimbra", row.text,
                                            row.icon, 10000, !on, on}))
            << row.line;
        const std::vector<FakeView::Box> boxes =
            std::string(row.box).empty()
                ? std::vector<FakeView::Box>{}
                : std::vector<FakeView::Box>{{"Nimbra", row.box, MsgKind::Error, MsgButton::Ok}};
        EXPECT_EQ(m_view.boxes, boxes) << row.line;
        EXPECT_EQ(m_view.unblocks, std::string(row.line) == "160033"
                                       ? std::vector<UnblockReason>{UnblockReason::WardenOffline}
                                       : std::vector<UnblockReason>{});
        // Only hiding on switches the proxy, with the window's bypass list.
        EXPECT_EQ(m_control->hidingPhase(), on ? HidingPhase::On : HidingPhase::NotConfirmed);
        EXPECT_EQ(m_fake.systemProxy.calls.size(), on ? 4u : 0u) << row.line;
    }
}

// Every event Warden reports, as its status line writes it, is a row the tray acts on with
// the meaning Warden gives it, never an unknown code that is only logged.
TEST_F(Hiding, WhatWardenReportsIsWhatTheTrayActsOn)
{
    namespace status = warden::status;
    const struct
    {
        status::Event event;
        const char* log;
    } events[] = {
        {status::kResolving, "Searching..."},
        {status::kConnecting, "Connecting..."},
        {status::kAuthenticating, "Identifying"},
        {status::kConnected, "Connected"},
        {status::kReady, "Diru DO ON"},
        {status::kTimedOut, "Connection time out"},
        {status::kRejected, "Identify failed"},
        {status::kRefused, "Connection Failed 160034"},
        {status::kUnreachable, "Warden can not connect to the Internet"},
        {status::kNotSocks, "SilentUpdate Error"},
        {status::kBindFailed, "SilentUpdate Error"},
        {status::kFailingRepeatedly, "Mission failed"},
        {status::kDisconnected, "Disconnected from Internet"},
        {status::kDestinationFailed, "Destination not available"},
        {status::kRetrying, "Reconnect..."},
    };
    for (const auto& [event, log] : events) {
        m_fake = {};
        m_view = {};
        start("app");
        run(std::to_string(event.code) + " " + std::string(event.text) + " detail\n");
        ASSERT_FALSE(logged().empty()) << event.text;
        EXPECT_EQ(logged().front(), log) << event.text;
    }
}

TEST_F(Hiding, LinesAsTheyArriveInReadsOfAtMost255Bytes)
{
    m_control->DiruDO("exit.example", "1080", "user", "key");
    ChildScript& child = m_fake.processes.latest();
    // Two lines in one read, in order; a line and a CR LF split across reads.
    child.output = "160036\r\n160032\r\n1602";
    m_control->timReadTimer();
    child.output = "38\r";
    m_control->timReadTimer();
    child.output = "\n160239\n";
    m_control->timReadTimer();
    EXPECT_EQ(logged(), (Lines{"Searching...", "Connecting...", "Identifying", "Connected"}));
    // 300 bytes: 255 now, the rest on the next tick.
    child.output = "160207" + std::string(292, 'x') + "\r\n";
    m_control->timReadTimer();
    EXPECT_EQ(child.output.size(), 45u);
    EXPECT_EQ(logged().size(), 4u);
    m_control->timReadTimer();
    EXPECT_EQ(logged().back(), "Destination not available");
    // A zero byte cuts the rest of its read off; the line goes on in the next read.
    child.output = std::string("160037\0lost\n", 12);
    m_control->timReadTimer();
    child.output = "\n160199";
    m_control->timReadTimer();
    EXPECT_EQ(logged().back(), "Disconnected from Internet");
    // An unterminated last line is taken once Warden has ended and the pipe is empty.
    m_control->timReadTimer();
    EXPECT_EQ(logged().size(), 6u);
    child.running = false;
    m_control->timReadTimer();
    EXPECT_EQ(logged()[6], "Reconnect...");
    EXPECT_EQ(m_control->ProcessedCount(), m_control->PipeLines().size());
}

TEST_F(Hiding, AFailureThenReadyFromTheSameWarden)
{
    run("160034\n");
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::Off);
    EXPECT_EQ(lastStatus().diruDOEnabled, true);
    EXPECT_TRUE(m_fake.processes.latest().running); // no row ends Warden
    run("160138 again\n");
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::On);
    EXPECT_EQ(lastStatus().diruDOEnabled, false);
    EXPECT_EQ(lastStatus().stopDiruDOEnabled, true);
}

TEST_F(Hiding, ALostConnectionAsksToReconnectAndReconnectsToTheSameExit)
{
    m_servers.ServerList = {{"first.example", "United States"}, {"exit.example", "United Kingdom"}};
    m_servers.ServerIndex = 1;
    m_servers.ExitPort = "1080";
    m_servers.ExitUser = "user";
    m_servers.ExitKey = "key";
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        m_fake = {};
        m_view = {};
        start("app");
        run("160138\n");
        m_fake.processes.latest().running = false;
        m_view.answers = {answer};
        m_control->timReadTimer();
        EXPECT_EQ(logged().back(), "Connection lost");
        EXPECT_EQ(lastStatus().kind, DiruDOStatus::Off);
        EXPECT_EQ(lastStatus().balloonIcon, BalloonIcon::Error);
        EXPECT_TRUE(m_fake.processes.latest().released); // swept, not terminated
        EXPECT_FALSE(m_fake.processes.latest().terminated);
        EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
        EXPECT_EQ(m_view.boxes.back(), (FakeView::Box{"Nimbra", "Do you want to reconnect?", MsgKind::Warning,
                                                      MsgButton::Yes | MsgButton::No}));
        EXPECT_EQ(m_view.timerOn(MainTimer::Reset), answer == MsgResult::Yes);
    }
    m_control->timResetTimer();
    EXPECT_FALSE(m_view.timerOn(MainTimer::Reset));
    ASSERT_EQ(m_fake.processes.starts.size(), 2u);
    EXPECT_EQ(m_fake.processes.starts[1].arguments, m_fake.processes.starts[0].arguments);
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::Busy);
    EXPECT_EQ(m_control->hidingPhase(), HidingPhase::On); // until the next "160239"
}

TEST_F(Hiding, AWardenThatEndsBeforeItIsReadyIsAFailureShownNotALostConnection)
{
    // As Warden ends on values it refuses: its usage text, unterminated, then gone.
    run("usage: warden -name USER");
    m_fake.processes.latest().running = false;
    m_control->timReadTimer();
    // What it said is read first; then the failure, once.
    EXPECT_EQ(logged(), (Lines{"usage:", "Error to start Warden!"}));
    EXPECT_EQ(lastStatus(), (TrayStatus{DiruDOStatus::Off, "Diru DO OFF", "Nimbra", "Error to start Warden!",
                                        BalloonIcon::Error, 10000, true, false}));
    EXPECT_EQ(m_view.boxes, (std::vector<FakeView::Box>{
                                {"Nimbra", "Error to start Warden!", MsgKind::Error, MsgButton::Ok}}));
    EXPECT_TRUE(m_fake.processes.latest().released);
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
    EXPECT_FALSE(m_view.timerOn(MainTimer::Reset));
    m_control->timReadTimer();
    EXPECT_EQ(m_view.boxes.size(), 1u);

    // One whose last code turned hiding off has said why: a tick while that code's box is
    // open, and the tick that opened it, release it without saying it again.
    m_view = {};
    m_fake.processes.children.clear();
    m_view.whileOpen.push_back([this] { m_control->timReadTimer(); });
    run("160239\n160034");
    m_fake.processes.latest().running = false;
    m_control->timReadTimer();
    EXPECT_NE(logged().back(), "Error to start Warden!");
    ASSERT_EQ(m_view.boxes.size(), 1u);
    EXPECT_EQ(m_view.boxes[0].text.substr(0, 24), "Connection Failed 160034");
    EXPECT_EQ(lastStatus().balloonText, "Connection Failed 160034");
    EXPECT_TRUE(m_fake.processes.latest().released);
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
}

TEST_F(Hiding, StopThenDiruDOSwitchTheProxyButLeaveWarden)
{
    m_view.memo = {"a.com", "b.com"};
    start("app", "8080");
    run("160138\n");
    m_fake.systemProxy.calls.clear();
    m_control->StopDiruDO1Click();
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
    EXPECT_EQ(lastStatus(), (TrayStatus{DiruDOStatus::Off, "Diru DO OFF", "Nimbra", "User stopped Diru DO",
                                        BalloonIcon::Information, 10000, true, false}));
    EXPECT_EQ(logged().back(), "User stopped Diru DO");
    m_control->DiruDO1Click();
    EXPECT_EQ(m_fake.systemProxy.calls,
              (Lines{"list", "options (default) 1 socks= (keep)", "refresh", "changed", "list",
                     "options (default) 2 socks=127.0.0.1:8080 a.com,b.com,", "refresh", "changed"}));
    EXPECT_EQ(logged().back(), "Diru DO ON");
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::On);
    EXPECT_TRUE(m_fake.processes.latest().running);
    EXPECT_EQ(m_control->hidingPhase(), HidingPhase::On);

    // Warden is polled again, so one that ended while the proxy was off is noticed.
    EXPECT_TRUE(m_view.timerOn(MainTimer::Read));
    m_fake.processes.latest().running = false;
    m_control->timReadTimer();
    EXPECT_EQ(logged().back(), "Connection lost");
}

// What the proxy switch met is said by the program's boxes, in the order it was met, before
// the status changes.
TEST_F(Hiding, TheSwitchsFindingsAreSaidBeforeTheStatusChanges)
{
    m_fake.folders.firefoxProfiles = m_dir.file("firefox/");
    m_dir.writeFile("firefox/abcd.default/prefs.js", "");
    m_fake.windows.windows = {{1, "Mozilla Firefox"}};
    const std::string chromium = m_dir.makeFolder("chromium");
    m_fake.chromium.browsers = {{"Chromium", chromium}};
    m_fake.chromium.running = {chromium};
    const auto restart = [](const std::string& browser) {
        return FakeView::Box{
            "Nimbra", "Please Restart all " + browser + " windows in order to make Nimbra take effect.",
            MsgKind::Warning, MsgButton::Ok};
    };
    m_control->DiruDO1Click();
    EXPECT_EQ(m_view.boxes, (std::vector<FakeView::Box>{restart("Firefox"), restart("Chromium")}));

    // A user.js that cannot be written back: its error box, and hiding stops all the same.
    std::filesystem::remove(m_dir.file("firefox/abcd.default/user.js"));
    m_dir.makeFolder("firefox/abcd.default/user.js/inner");
    m_view.boxes.clear();
    m_view.whileOpen.push_back([this] { EXPECT_EQ(lastStatus().kind, DiruDOStatus::On); });
    m_control->StopDiruDO1Click();
    EXPECT_EQ(m_view.boxes, (std::vector<FakeView::Box>{{"Nimbra", "Can not change Firefox proxy settings!",
                                                         MsgKind::Error, MsgButton::Ok}}));
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::Off);
}

TEST_F(Hiding, SweepEndsARunningWardenAndReleasesAnEndedOne)
{
    run("");
    m_control->Sweep();
    EXPECT_TRUE(m_fake.processes.latest().terminated);
    EXPECT_TRUE(m_fake.processes.latest().released);

    m_fake.processes.children.clear();
    run("");
    m_fake.processes.latest().running = false;
    m_control->Sweep();
    EXPECT_FALSE(m_fake.processes.latest().terminated);
    EXPECT_TRUE(m_fake.processes.latest().released);

    m_fake.processes.children.clear();
    run("");
    m_fake.processes.latest().refuseTermination = true;
    m_control->Sweep();
    EXPECT_EQ(m_view.boxes.back().text, "Can not close Warden!");
    EXPECT_TRUE(m_fake.processes.latest().released);
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
}

TEST_F(Hiding, TheNextWardensFirstLineIsNotGluedToTheLastOnesFragment)
{
    // A line cut at the end of a read, then Warden swept before the rest came.
    run("160036\r\n160138 Rea");
    m_control->Sweep();
    m_fake.processes.children.clear();
    run("160036\r\n");
    EXPECT_EQ(m_control->PipeLines().back(), "160036");
    EXPECT_EQ(logged().back(), "Searching...");
    // The fragment's code is not carried out either: the new Warden is not ready yet.
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::Busy);
}

TEST_F(Hiding, ATickWhileABoxIsOpenTakesLaterLinesEachOnce)
{
    // While the box of "160034" is open, Warden writes on and a tick reads it.
    m_view.whileOpen.push_back([this] {
        m_fake.processes.latest().output = "160036\n160034\n";
        m_control->timReadTimer();
    });
    run("160034\n160032\n");
    // The tick in the box goes on with the next line already read, then the new ones.
    EXPECT_EQ(logged(), (Lines{"Connection Failed 160034", "Connecting...", "Searching...",
                               "Connection Failed 160034"}));
    EXPECT_EQ(m_view.boxes.size(), 2u);
    EXPECT_EQ(m_control->ProcessedCount(), 4u);
}

TEST_F(Hiding, LinesThatArriveBetweenTicksAreTakenAtOnceAndTheTickKeepsItsWork)
{
    // A browser running at the switch on has its profiles written by a tick once it ends.
    const std::string chromium = m_dir.makeFolder("chromium");
    m_fake.chromium.browsers = {{"Chromium", chromium}};
    m_fake.chromium.running = {chromium};
    m_fake.processes.descriptor = 7;
    m_control->DiruDO("exit.example", "1080", "user", "key");
    EXPECT_EQ(m_view.watchedOutput, 7);
    EXPECT_TRUE(m_view.readsOnData());
    ChildScript& child = m_fake.processes.latest();
    child.output = "160036\n160138 ready\n";
    m_control->wardenOutputReady();
    EXPECT_EQ(logged(), (Lines{"Searching...", "Diru DO ON"}));
    EXPECT_EQ(lastStatus().kind, DiruDOStatus::On);
    EXPECT_TRUE(m_control->proxySwitch().waitingForBrowsers());
    // Reading on data is no tick: the browser that has ended waits for one.
    m_fake.chromium.running.clear();
    child.output = "160032\n";
    m_control->wardenOutputReady();
    EXPECT_EQ(logged().back(), "Connecting...");
    EXPECT_TRUE(m_control->proxySwitch().waitingForBrowsers());
    EXPECT_EQ(m_view.timers[MainTimer::Read], (FakeView::Timer{true, 1000}));
    m_control->timReadTimer();
    EXPECT_FALSE(m_control->proxySwitch().waitingForBrowsers());

    // Stopped, nothing is read on data either; Diru DO reads on again.
    m_control->StopDiruDO1Click();
    EXPECT_FALSE(m_view.readsOnData());
    m_control->DiruDO1Click();
    EXPECT_TRUE(m_view.readsOnData());

    // A Warden that ends is dealt with at once: its pipe turns readable as it closes.
    child.running = false;
    m_control->wardenOutputReady();
    EXPECT_EQ(logged().back(), "Connection lost");
    EXPECT_EQ(m_view.watchedOutput, std::nullopt);
}

TEST_F(Hiding, AnAnnouncementWithNothingToReadRestsTheWatchUntilTheNextTick)
{
    m_fake.processes.descriptor = 7;
    m_control->DiruDO("exit.example", "1080", "user", "key");
    ChildScript& child = m_fake.processes.latest();
    // A tick took the data first, or Warden closed its output and runs on: the watch would
    // be called again without pause.
    m_control->wardenOutputReady();
    EXPECT_FALSE(m_view.readsOnData());
    child.output = "160036\n";
    m_control->timReadTimer();
    EXPECT_EQ(logged(), (Lines{"Searching..."}));
    EXPECT_EQ(m_view.watchedOutput, 7);
    m_control->timReadTimer();
    EXPECT_EQ(m_view.watchCalls, (std::vector<std::optional<int>>{7, std::nullopt, 7}));

    // Ended before it was ready, with nothing left to read: the failure at once.
    child.running = false;
    m_control->wardenOutputReady();
    EXPECT_EQ(m_view.boxes.back().text, "Error to start Warden!");
    EXPECT_TRUE(child.released);
}

TEST_F(Hiding, TheWatchEndsBeforeAWardensDescriptorClosesAndNoneIsAskedWithoutOne)
{
    // How many Wardens were released as each watch was asked for.
    std::vector<long> releasedAtWatch;
    m_view.onWatch = [&] {
        releasedAtWatch.push_back(std::count_if(m_fake.processes.children.begin(),
                                                m_fake.processes.children.end(),
                                                [](const auto& child) { return child->released; }));
    };
    m_fake.processes.descriptor = 7;
    m_control->DiruDO("exit.example", "1080", "user", "key");
    // One started in the place of another, as a reconnect after a new choice does.
    m_control->DiruDO("exit.example", "1080", "user", "key");
    m_control->Sweep();
    EXPECT_EQ(releasedAtWatch, (std::vector<long>{0, 0, 1, 1}));
    EXPECT_TRUE(m_fake.processes.latest().released);
    EXPECT_EQ(m_view.watchCalls, (std::vector<std::optional<int>>{7, std::nullopt, 7, std::nullopt}));

    // Where the system offers no descriptor, the tick alone reads.
    m_view = {};
    m_fake.processes.descriptor.reset();
    m_control->DiruDO("exit.example", "1080", "user", "key");
    EXPECT_FALSE(m_view.readsOnData());
    EXPECT_TRUE(m_view.timerOn(MainTimer::Read));
}

TEST_F(Hiding, OnlyTheThreeKindsChangeTheTray)
{
    m_control->SetDiruDOStatus(static_cast<DiruDOStatus>(7), "odd", BalloonIcon::Information);
    EXPECT_TRUE(m_view.statuses.empty());
    EXPECT_EQ(bypassList({}), "");
    EXPECT_EQ(bypassList({"", "x"}), ",x,");
}
