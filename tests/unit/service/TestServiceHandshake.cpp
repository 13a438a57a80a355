// The handshake with the service, against fakes of the HTTP layer and the window.

#include "service/Cipher.h"
#include "service/ServiceAnswer.h"
#include "service/ServiceHandshake.h"

#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const std::string kKey = "n";
const std::vector<std::string> kBases = {"http://one.test", "http://two.test", "http://three.test"};

std::string enciphered(const std::string& value)
{
    return DecodeValue(value, kKey);
}

// A valid answer with two exits and the lines given in between.
std::string answer(const std::string& middle = "")
{
    return "B=1\r\nC=2\r\nP=" + enciphered("1080") + "\r\nU=" + enciphered("user") +
           "\r\nK=" + enciphered("secret") + "\r\nH1=" + enciphered("exit1.test") +
           "\r\nH2=" + enciphered("exit2.test") + "\r\nL1=2\r\nL2=9\r\n" + middle + "E=1\r\n";
}

class Handshake : public testing::Test
{
protected:
    Handshake()
    {
        m_dir.writeFile("nimbra", "123456789"); // its checksum is CBF43926
        m_log = std::make_unique<ActivityLog>(m_fake.clock, m_dir.file("report.txt"));
        m_warden = std::make_unique<WardenControl>(
            m_fake.host(), m_view, *m_log, m_servers,
            WardenControl::Settings{m_dir.path() + "/", "7070", m_dir.path() + "/restore.json"});
        m_handshake = std::make_unique<ServiceHandshake>(
            m_fake.host(), m_view, *m_log, m_servers, *m_warden,
            ServiceHandshake::Settings{kBases, m_dir.file("nimbra"), "1.33", kKey});
        m_fake.adapters.addresses = {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}};
        m_view.timers[MainTimer::Read] = {true, 1000};
    }

    std::string request(int attempt) const
    {
        return kBases[static_cast<std::size_t>(attempt)] +
               "/update1.php?id=000001100211031204130514&productid=1&sn=&version=1.3369&language=1033&i=" +
               std::to_string(attempt) + "CBF43926";
    }
    void answerAt(int attempt, const std::string& text) { m_fake.http.bodies[request(attempt)] = text; }

    Lines logged() const
    {
        Lines messages;
        for (const std::string& line : m_log->lines()) {
            messages.push_back(line.substr(line.find(" ] ") + 3));
        }
        return messages;
    }
    Lines statusTexts() const
    {
        Lines texts;
        for (const TrayStatus& status : m_view.statuses) {
            texts.push_back(status.balloonText);
        }
        return texts;
    }

    TempDir m_dir;
    FakeHost m_fake;
    FakeView m_view;
    ExitServers m_servers;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<WardenControl> m_warden;
    std::unique_ptr<ServiceHandshake> m_handshake;
};

} // namespace

TEST_F(Handshake, TheFirstAddressAnswersAndTheUserPicksAnExit)
{
    answerAt(0, answer());
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_fake.http.fetched, Lines{request(0)});
    EXPECT_FALSE(m_view.timerOn(MainTimer::Read));
    EXPECT_EQ(logged(), (Lines{"Init settings...", "Done", "SilentUpdate...", "SilentUpdate-0 ...",
                               "SilentUpdate-0 OK", "UpdateVerify-0 OK"}));
    EXPECT_EQ(statusTexts(), Lines{"SilentUpdate. Please wait..."});
    EXPECT_EQ(m_view.ipSelections, std::vector<bool>{true});
    EXPECT_EQ(m_servers.ServerCount, 2);
    ASSERT_EQ(m_servers.ServerList.size(), 2u);
    EXPECT_EQ(m_servers.ServerList[0].Host, "exit1.test");
    EXPECT_EQ(m_servers.ServerList[0].Country, "United Kingdom");
    EXPECT_EQ(m_servers.ServerList[1].Host, "exit2.test");
    EXPECT_EQ(m_servers.ServerList[1].Country, "Unknown");
    EXPECT_EQ(m_servers.ExitPort, "1080");
    EXPECT_EQ(m_servers.ExitUser, "user");
    EXPECT_EQ(m_servers.ExitKey, "secret");
    EXPECT_TRUE(m_view.boxes.empty());
}

TEST_F(Handshake, EachAddressIsJudgedAloneUntilOneGivesAnAnswer)
{
    // The first cannot be reached, the second answers with a page without both markers
    // in their case, the third with an answer.
    answerAt(1, "<html>b=1 E=1</html>");
    answerAt(2, answer());
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_fake.http.fetched, (Lines{request(0), request(1), request(2)}));
    EXPECT_EQ(logged(), (Lines{"Init settings...", "Done", "SilentUpdate...", "SilentUpdate-0 ...",
                               "SilentUpdate-1 ...", "SilentUpdate-1 OK", "SilentUpdate-2 ...",
                               "SilentUpdate-2 OK", "UpdateVerify-2 OK"}));
    EXPECT_EQ(statusTexts(),
              (Lines{"SilentUpdate. Please wait...", "Try SilentUpdate-1 ...", "Try SilentUpdate-2 ..."}));
    EXPECT_EQ(m_view.ipSelections.size(), 1u);
}

TEST_F(Handshake, NoAnswerAnywhereAdvisesUnblockingAndAReconnectInsideStillEndsInTheFailure)
{
    m_fake.adapters.addresses.clear();
    // Reconnect, while the dialog is open, finds the service back.
    m_view.whileUnblockOpen.push_back([this] {
        m_fake.http.bodies["http://one.test/update1.php?id=999999999999999999999999&productid=1&sn=&version="
                           "1.3369&language=1033&i=0CBF43926"] = answer();
        m_handshake->SilentUpdate();
    });
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_fake.http.fetched.size(), 4u);
    EXPECT_NE(m_fake.http.fetched[0].find("?id=999999999999999999999999&"), std::string::npos);
    EXPECT_EQ(m_view.unblocks, std::vector<UnblockReason>{UnblockReason::HandshakeFailed});
    // The inner run succeeded and opened the selection; the outer one then did its failure
    // steps all the same.
    EXPECT_EQ(m_view.ipSelections.size(), 1u);
    EXPECT_EQ(logged(), (Lines{"Init settings...", "Done", "SilentUpdate...", "SilentUpdate-0 ...",
                               "SilentUpdate-1 ...", "SilentUpdate-2 ...", "SilentUpdate Failed!",
                               "Please unblock Nimbra", "Init settings...", "Done", "SilentUpdate...",
                               "SilentUpdate-0 ...", "SilentUpdate-0 OK", "UpdateVerify-0 OK"}));
    ASSERT_FALSE(m_view.statuses.empty());
    EXPECT_EQ(m_view.statuses.back().kind, DiruDOStatus::Off);
    EXPECT_EQ(m_view.statuses.back().balloonText, "SilentUpdate Failed!");
    EXPECT_EQ(m_view.statuses.back().balloonIcon, BalloonIcon::Error);
    EXPECT_EQ(m_view.diruDOEnabled, false);
}

TEST_F(Handshake, WhatAnAnswerAsksForAndWhenItIsOfNoUse)
{
    // Unavailable alone is of use: its message, not the "nothing useful" one.
    answerAt(0, "B=1\nServiceNotAvailable=1\nE=1");
    m_handshake->SilentUpdate();
    ASSERT_EQ(m_view.boxes.size(), 1u);
    EXPECT_EQ(m_view.boxes[0], (FakeView::Box{"Nimbra", "Service NOT available! Please contact us at once!",
                                              MsgKind::Error, MsgButton::Ok}));
    EXPECT_EQ(m_view.statuses.back().balloonText, "Service NOT available! Please contact us at once!");

    // "yes" is no flag; "1" opens the update before the list is looked at.
    m_view.boxes.clear();
    answerAt(0, "B=1\nNewVersion=yes\nE=1");
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_view.updates, 0);
    ASSERT_EQ(m_view.boxes.size(), 1u);
    EXPECT_EQ(m_view.boxes[0].text, "SilentUpdate Failed! Nothing Useful!");
    answerAt(0, answer("newversion=1\r\n"));
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_view.updates, 1);
    EXPECT_EQ(logged().back(), "New version of Nimbra is needed! Your current version is: 1.33");
    EXPECT_EQ(m_view.ipSelections.size(), 1u);

    // C=0: the count follows, the earlier list stays, no selection, nothing useful.
    m_view.boxes.clear();
    answerAt(0, "B=1\r\nc=0\r\nE=1\r\n");
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_servers.ServerCount, 0);
    EXPECT_EQ(m_servers.ServerList.size(), 2u);
    EXPECT_EQ(m_view.ipSelections.size(), 1u);
    ASSERT_EQ(m_view.boxes.size(), 1u);
    EXPECT_EQ(m_view.boxes[0].text, "SilentUpdate Failed! Nothing Useful!");
    EXPECT_EQ(m_view.diruDOEnabled, std::nullopt); // only a failed contact disables it
}

TEST_F(Handshake, AnAnswerWhoseEntriesWardenWouldAllRefuseIsOfNoUse)
{
    // Two hosts, but a port Warden refuses: no entry is left to offer.
    answerAt(0, "B=1\r\nC=2\r\nP=" + enciphered("0") + "\r\nU=" + enciphered("user") +
                    "\r\nK=" + enciphered("secret") + "\r\nH1=" + enciphered("exit1.test") +
                    "\r\nH2=" + enciphered("exit2.test") + "\r\nE=1\r\n");
    m_handshake->SilentUpdate();
    EXPECT_EQ(m_servers.ServerCount, 0);
    EXPECT_TRUE(m_view.ipSelections.empty());
    ASSERT_EQ(m_view.boxes.size(), 1u);
    EXPECT_EQ(m_view.boxes[0].text, "SilentUpdate Failed! Nothing Useful!");
    EXPECT_EQ(m_view.statuses.back().kind, DiruDOStatus::Off);
}

TEST(ServiceAnswer, LinesNamesAndValuesAsTheServiceWritesThem)
{
    EXPECT_EQ(answerLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(answerLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_TRUE(isServiceAnswer("xxE=1yyB=1"));
    EXPECT_FALSE(isServiceAnswer("b=1\nE=1"));

    // A value keeps every further "=" and is deciphered whole; names ignore case, the
    // first line of a name counts.
    const ServiceAnswer read =
        readServiceAnswer({"C=1", "P=" + enciphered("80"), "k=" + enciphered("ab=c"),
                           "K=" + enciphered("other"), "h1=" + enciphered("x"), "L1=1"},
                          kKey);
    EXPECT_EQ(read.exitKey, "ab=c");
    ASSERT_EQ(read.servers.size(), 1u);
    EXPECT_EQ(read.servers[0].Host, "x");
    EXPECT_EQ(read.servers[0].Country, "United States");
}

TEST(ServiceAnswer, NumbersThatAreNoneOrTooLargeForTheAnswer)
{
    EXPECT_EQ(readServiceAnswer({"C=abc"}, kKey).count, 0);
    EXPECT_EQ(readServiceAnswer({"C=-3"}, kKey).count, -3);
    // An answer of six lines can hold no more than six entries; of those only the ones
    // with a host are left.
    const ServiceAnswer huge =
        readServiceAnswer({"C=99999999", "P=" + enciphered("80"), "H01=" + enciphered("a"),
                           "H6=" + enciphered("f"), "H7=" + enciphered("g"), "L6=x"},
                          kKey);
    EXPECT_EQ(huge.count, 1);
    ASSERT_EQ(huge.servers.size(), 1u);
    EXPECT_EQ(huge.servers[0].Host, "f"); // H01 is not H1, H7 is beyond the sixth
    EXPECT_EQ(huge.servers[0].Country, "Unknown");
}

TEST(ServiceAnswer, OnlyEntriesWardenWouldTakeAreKept)
{
    const std::string fits(255, 'v');
    const std::string tooLong(256, 'v');
    const struct
    {
        const char* what;
        std::string port;
        std::string user;
        std::string key;
        std::string host;
        bool kept;
    } cases[] = {
        {"port 0", "0", "user", "key", "exit.test", false},
        {"port 65536", "65536", "user", "key", "exit.test", false},
        {"an option after the port", "80 -key x", "user", "key", "exit.test", false},
        {"a blank before the port", " 80", "user", "key", "exit.test", false},
        {"a sign before the port", "+80", "user", "key", "exit.test", false},
        {"no port", "", "user", "key", "exit.test", false},
        {"an empty host", "80", "user", "key", "", false},
        {"a user of 256 bytes", "80", tooLong, "key", "exit.test", false},
        {"a key of 256 bytes", "80", "user", tooLong, "exit.test", false},
        {"port 1", "1", "user", "key", "exit.test", true},
        {"port 65535", "65535", "user", "key", "exit.test", true},
        {"a user of 255 bytes", "80", fits, "key", "exit.test", true},
        {"a key of 255 bytes", "80", "user", fits, "exit.test", true},
        {"an empty user and key", "80", "", "", "exit.test", true},
    };
    for (const auto& c : cases) {
        const ServiceAnswer read =
            readServiceAnswer({"C=1", "P=" + enciphered(c.port), "U=" + enciphered(c.user),
                               "K=" + enciphered(c.key), "H1=" + enciphered(c.host), "L1=1"},
                              kKey);
        EXPECT_EQ(read.count, c.kept ? 1 : 0) << c.what;
        EXPECT_EQ(read.servers.size(), c.kept ? 1u : 0u) << c.what;
    }

    // A refused entry leaves the others in their order, each with its own country.
    const ServiceAnswer mixed =
        readServiceAnswer({"C=3", "P=" + enciphered("1080"), "H1=" + enciphered("one.test"),
                           "H3=" + enciphered("three.test"), "L1=1", "L2=1", "L3=2"},
                          kKey);
    EXPECT_EQ(mixed.count, 2);
    ASSERT_EQ(mixed.servers.size(), 2u);
    EXPECT_EQ(mixed.servers[0].Host + " " + mixed.servers[0].Country, "one.test United States");
    EXPECT_EQ(mixed.servers[1].Host + " " + mixed.servers[1].Country, "three.test United Kingdom");
}
