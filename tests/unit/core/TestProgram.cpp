#include "core/Program.h"

#include "core/BypassSettings.h"
#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const Lines kStartUpLines = {"Nimbra",
                             "Version: 1.33",
                             "OS: Test OS 1.0",
                             "Default Browser: firefox-esr %u",
                             "TimeZone: GMT +2",
                             "Init settings...",
                             "Done",
                             "SilentUpdate...",
                             "SilentUpdate-0 ...",
                             "SilentUpdate-1 ...",
                             "SilentUpdate-2 ...",
                             "SilentUpdate Failed!",
                             "Please unblock Nimbra"};

// A user's program in the test's folder: no service answers the fake HTTP, so every
// start-up ends with the unblock dialog, which the fake view closes at once.
class ProgramTest : public testing::Test
{
protected:
    ProgramTest()
    {
        m_fake.folders.appData = m_dir.makeFolder("config");
        m_fake.clock.utc = {2026, 12, 7, 23, 0, 0, 0};
        m_fake.clock.local = {2026, 12, 8, 1, 0, 0, 0};
        m_fake.desktop.browserCommand = "firefox-esr %u";
        m_dataFolder = m_dir.file("config") + platform::kPathSeparator + "Nimbra" + platform::kPathSeparator;
        restart();
    }

    // A new run on the same folders; its window's close runs FormClose, as the window's does.
    void restart()
    {
        m_view = FakeView();
        m_program =
            std::make_unique<Program>(m_fake.host(), m_view, m_dir.file("app/nimbra"), m_dir.file("app/"));
        m_view.onClose = [this] { m_program->FormClose(); };
    }

    void settings(const std::string& text) { m_dir.writeFile("config/Nimbra/dirudo.ini", text); }

    Lines logged() const
    {
        Lines messages;
        for (const std::string& line : m_program->activityLog()->lines()) {
            messages.push_back(line.substr(line.find(" ] ") + 3));
        }
        return messages;
    }

    // A Firefox profile, with a window of it open.
    void firefoxRunning()
    {
        m_fake.folders.firefoxProfiles = m_dir.file("firefox/");
        m_dir.writeFile("firefox/abcd.default/prefs.js", "");
        m_fake.windows.windows = {{1, "Mozilla Firefox"}};
    }

    TempDir m_dir;
    FakeHost m_fake;
    FakeView m_view;
    std::string m_dataFolder;
    std::unique_ptr<Program> m_program;
};

} // namespace

TEST_F(ProgramTest, StartUpLogsItsLinesAsksTheServiceAndSavesNothing)
{
    ASSERT_TRUE(m_program->InitMain());
    EXPECT_EQ(logged(), kStartUpLines);
    EXPECT_EQ(m_fake.http.fetched.size(), 3u);
    EXPECT_EQ(m_view.unblocks, std::vector<UnblockReason>{UnblockReason::HandshakeFailed});
    EXPECT_EQ(m_view.statuses.back().hint, "Diru DO OFF");
    // The skin beside the program, the options and the tray icon, in the window.
    EXPECT_EQ(m_view.skins, Lines{m_dir.file("app/default.skn")});
    EXPECT_TRUE(m_view.memo.empty());
    EXPECT_TRUE(m_view.inTray);
    EXPECT_TRUE(m_view.boxes.empty());
    EXPECT_TRUE(m_view.errors.empty());

    EXPECT_EQ(m_program->dataFolder(), m_dataFolder);
    EXPECT_EQ(m_program->internalPort(), "7070");
    EXPECT_EQ(m_program->helpFile(), m_dir.file("app/") + platform::kHelpFile);
    EXPECT_EQ(m_program->reportFile(), m_dataFolder + "report.txt");
    EXPECT_EQ(m_fake.http.ownProxy, "127.0.0.1:7070");
    // No settings were saved by the start-up.
    EXPECT_EQ(fileContent(m_dataFolder + "dirudo.ini").find("Bypass"), std::string::npos);
}

TEST_F(ProgramTest, AnUncreatableDataFolderEndsTheStartWithItsMessage)
{
    m_fake.folders.appData = m_dir.file("missing/parent");
    EXPECT_FALSE(m_program->InitMain());
    EXPECT_EQ(m_view.boxes, (std::vector<FakeView::Box>{{"Nimbra", "Can not create Application Data Folder",
                                                         MsgKind::Error, MsgButton::Ok}}));
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("missing")));
    EXPECT_TRUE(m_view.skins.empty());
    EXPECT_FALSE(m_view.inTray);
}

TEST_F(ProgramTest, AMissingSkinEndsTheStartBeforeTheLogAndTheTray)
{
    settings("[Config]\nSkin=" + m_dir.file("none.skn") + "\nInternalPort=8080\n");
    m_view.skinLoads = false;
    EXPECT_FALSE(m_program->InitMain());
    EXPECT_EQ(m_view.skins, Lines{m_dir.file("none.skn")});
    EXPECT_EQ(m_view.errors, Lines{"Can not find Skin File"});
    EXPECT_FALSE(std::filesystem::exists(m_dataFolder + "report.txt"));
    EXPECT_FALSE(m_view.inTray);
    EXPECT_TRUE(m_fake.http.fetched.empty());
    EXPECT_EQ(m_program->internalPort(), "8080");
}

// One error says it; the start-up goes on to the handshake with every line kept in memory,
// and the end of the session waits on no box.
TEST_F(ProgramTest, AnUnwritableLogIsShownOnceTheStartUpGoesOnAndClosingWaitsOnNoBox)
{
    std::filesystem::create_directories(m_dataFolder + "report.txt");
    ASSERT_TRUE(m_program->InitMain());
    ASSERT_EQ(m_view.errors.size(), 1u);
    EXPECT_NE(m_view.errors[0].find("report.txt"), std::string::npos);
    EXPECT_EQ(m_fake.http.fetched.size(), 3u);
    EXPECT_EQ(logged(), kStartUpLines);

    m_program->QueryEndSession();
    EXPECT_EQ(m_view.closes, 1);
    EXPECT_EQ(m_view.errors.size(), 1u);
    EXPECT_EQ(logged().back(), "Closing...");
}

// A run that ended while hiding is undone first, and what the switch back met is said.
TEST_F(ProgramTest, StartUpPutsBackWhatAnEarlierRunLeftBeforeAnythingElse)
{
    m_fake.systemProxy.settings = {{"mode", "auto"}};
    ASSERT_TRUE(m_program->InitMain());
    m_program->warden()->EnableProxy();
    firefoxRunning();
    restart(); // the program ended while hiding
    m_fake.systemProxy.calls.clear();
    ASSERT_TRUE(m_program->InitMain());
    const Lines lines = logged();
    EXPECT_EQ(lines.at(0), "Restoring the settings an earlier run left changed");
    Lines startUp = kStartUpLines;
    startUp.insert(startUp.begin() + 4, "Firefox: detected");
    EXPECT_EQ(Lines(lines.begin() + 1, lines.end()), startUp);
    EXPECT_EQ(m_fake.systemProxy.calls.at(1), "options (default) 1 socks= (keep)");
    EXPECT_EQ(m_fake.systemProxy.settings.at("mode"), "auto");
    EXPECT_EQ(m_view.boxes,
              (std::vector<FakeView::Box>{
                  {"Nimbra", "Please Restart all Firefox windows in order to make Nimbra take effect.",
                   MsgKind::Warning, MsgButton::Ok}}));
}

TEST_F(ProgramTest, TheOptionsShowWhatIsSavedAndOkSavesWhatTheWindowHolds)
{
    settings("[Bypass]\nCounter=3\n1=first.example\n3=third.example\n");
    m_fake.autostart.entries["Nimbra"] = "elsewhere";
    ASSERT_TRUE(m_program->InitMain());
    EXPECT_EQ(m_view.memo, (Lines{"first.example", "", "third.example"}));
    EXPECT_TRUE(m_view.startWithWindowsTicked);

    m_view.memo = {"edited.example", "second.example"};
    m_program->applyOptions();
    const SettingsStore::Snapshot saved = SettingsStore(m_dataFolder + "dirudo.ini").snapshot();
    EXPECT_EQ(bypass::read(saved), (Lines{"edited.example", "second.example"}));
    // A key of the longer list before stays in the file.
    EXPECT_EQ(saved.readString("Bypass", "3", ""), "third.example");
    EXPECT_EQ(m_fake.autostart.entries.at("Nimbra"), m_dir.file("app/nimbra"));

    m_view.startWithWindowsTicked = false;
    m_view.memo.clear();
    m_program->applyOptions();
    EXPECT_TRUE(m_fake.autostart.entries.empty());
    EXPECT_NE(fileContent(m_dataFolder + "dirudo.ini").find("Counter=0"), std::string::npos);
}

// OK switches the proxy on again, with the edited list, only while hiding is on.
TEST_F(ProgramTest, OkTakesTheEditedBypassListAtOnceOnlyWhileHiding)
{
    ASSERT_TRUE(m_program->InitMain());
    m_fake.folders.presentFiles.push_back(m_dir.file("app/") + platform::kWardenProgram);
    m_view.memo = {"a.com", "b.com"};
    m_program->applyOptions();
    EXPECT_TRUE(m_fake.systemProxy.calls.empty());

    m_program->warden()->DiruDO("exit.example", "1080", "user", "key");
    m_fake.processes.latest().output = "160138\n";
    m_program->warden()->timReadTimer();
    EXPECT_EQ(m_fake.systemProxy.calls.at(1), "options (default) 2 socks=127.0.0.1:7070 a.com,b.com,");
    m_fake.systemProxy.calls.clear();
    m_view.memo = {"c.com"};
    m_program->applyOptions();
    EXPECT_EQ(m_fake.systemProxy.calls.at(1), "options (default) 2 socks=127.0.0.1:7070 c.com,");
}

TEST_F(ProgramTest, ExitSwitchesTheProxyOffClosesTheWindowAndLogsIt)
{
    firefoxRunning();
    ASSERT_TRUE(m_program->InitMain());
    m_view.setTimer(MainTimer::Read, true, 1000);
    m_program->Exit();
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
    EXPECT_FALSE(m_view.timerOn(MainTimer::Reset));
    EXPECT_EQ(m_fake.systemProxy.calls,
              (Lines{"list", "options (default) 1 socks= (keep)", "refresh", "changed"}));
    EXPECT_TRUE(fileContent(m_dir.file("firefox/abcd.default/user.js"))
                    .starts_with("user_pref(\"network.proxy.type\", 0);"));
    ASSERT_EQ(m_view.boxes.size(), 1u); // the restart request
    EXPECT_EQ(m_view.boxes[0].text,
              "Please Restart all Firefox windows in order to make Nimbra take effect.");
    EXPECT_EQ(m_view.closes, 1);
    EXPECT_EQ(logged().back(), "Closing...");
    EXPECT_NE(fileContent(m_dataFolder + "report.txt").find("] Closing...\r\n"), std::string::npos);
}

// A Firefox setting that cannot be switched back is said once on Exit but keeps nobody
// in; at the end of the session nothing at all waits for a person.
TEST_F(ProgramTest, ClosingGoesOnWhenTheProxyCannotBeSwitchedOff)
{
    firefoxRunning();
    m_dir.makeFolder("firefox/abcd.default/user.js/inner");
    for (const bool sessionEnds : {false, true}) {
        restart();
        ASSERT_TRUE(m_program->InitMain());
        if (sessionEnds) {
            m_program->QueryEndSession();
        } else {
            m_program->Exit();
        }
        EXPECT_EQ(m_view.closes, 1);
        const std::vector<FakeView::Box> cannot = {
            {"Nimbra", "Can not change Firefox proxy settings!", MsgKind::Error, MsgButton::Ok}};
        EXPECT_EQ(m_view.boxes, sessionEnds ? std::vector<FakeView::Box>{} : cannot);
        EXPECT_TRUE(m_view.errors.empty()); // the box says it; nothing else breaks off
        EXPECT_EQ(logged().back(), "Closing...");
    }
}
