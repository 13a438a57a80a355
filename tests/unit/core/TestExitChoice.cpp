#include "core/ExitChoice.h"

#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class ExitChoice : public testing::Test
{
protected:
    ExitChoice() { m_dir.writeFile(std::string("app/") + platform::kWardenProgram, ""); }

    // The log's messages without their time stamps.
    Lines logged() const
    {
        Lines messages;
        for (const std::string& line : m_log.lines()) {
            messages.push_back(line.substr(line.find(" ] ") + 3));
        }
        return messages;
    }

    TempDir m_dir;
    FakeHost m_fake;
    FakeView m_view;
    ExitServers m_servers{
        .ServerList = {{"a.example", "Canada"}, {"b.example", "Japan"}, {"c.example", "Chile"}},
        .ServerCount = 3,
        .ExitPort = "1080",
        .ExitUser = "user",
        .ExitKey = "key"};
    ActivityLog m_log{m_fake.clock, m_dir.file("report.txt")};
    WardenControl m_warden{m_fake.host(),
                           m_view,
                           m_log,
                           m_servers,
                           {m_dir.path() + "/app/", "7070", m_dir.path() + "/restore.json"}};
};

} // namespace

TEST_F(ExitChoice, LinesAndTheLineInUse)
{
    EXPECT_EQ(ipSelectionLines(m_servers),
              (Lines{"Canada - a.example", "Japan - b.example", "Chile - c.example"}));
    EXPECT_EQ(preselectedLine(m_servers, 3), 0);
    chooseExit(m_servers, 2, m_log, m_warden);
    EXPECT_EQ(preselectedLine(m_servers, 3), 2);
    // A later, shorter list does not hold the old choice.
    m_servers.ServerCount = 2;
    EXPECT_EQ(ipSelectionLines(m_servers).size(), 2u);
    EXPECT_EQ(preselectedLine(m_servers, 2), std::nullopt);
    // Only counted entries are offered, never more than the list holds.
    m_servers.ServerCount = 0;
    EXPECT_TRUE(ipSelectionLines(m_servers).empty());
    // Nor can a line beyond them be chosen.
    EXPECT_THROW(chooseExit(m_servers, 0, m_log, m_warden), std::out_of_range);
    EXPECT_EQ(m_servers.ServerIndex, 2);
    m_servers.ServerList = {{"A", "United States"}};
    m_servers.ServerCount = 5;
    EXPECT_EQ(ipSelectionLines(m_servers), Lines{"United States - A"});
    EXPECT_THROW(chooseExit(m_servers, 1, m_log, m_warden), std::out_of_range);
    EXPECT_EQ(m_log.lines().size(), 1u);
}

TEST_F(ExitChoice, ChoosingRestartsWardenForTheEntry)
{
    chooseExit(m_servers, 1, m_log, m_warden);
    ASSERT_EQ(m_fake.processes.starts.size(), 1u);
    EXPECT_EQ(m_fake.processes.starts[0].arguments,
              (Lines{"-name", "user", "-key", "key", "-do", "-H", "7070", "-dirudo", "-port", "1080", "-say",
                     "b.example"}));
    // The entry already in use is started anew, once the running Warden has ended.
    chooseExit(m_servers, 1, m_log, m_warden);
    ASSERT_EQ(m_fake.processes.children.size(), 2u);
    EXPECT_TRUE(m_fake.processes.children[0]->terminated);
    EXPECT_FALSE(m_fake.processes.children[1]->terminated);
    EXPECT_EQ(m_fake.processes.starts[1].arguments.back(), "b.example");

    // A failed start keeps the choice and the log line.
    m_fake.processes.failStart = true;
    EXPECT_THROW(chooseExit(m_servers, 2, m_log, m_warden), std::runtime_error);
    EXPECT_EQ(m_servers.ServerIndex, 2);
    EXPECT_TRUE(m_fake.processes.children[1]->terminated);
    EXPECT_EQ(logged(), (Lines{"Select IP: b.example", "Select IP: b.example", "Select IP: c.example"}));
}
