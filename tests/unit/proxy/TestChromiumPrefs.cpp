#include "proxy/ChromiumPrefs.h"
#include "proxy/RestoreRecord.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(ChromiumPrefs, ProfilesAreThePlainFolderNamesOfLocalState)
{
    EXPECT_EQ(profileNames(R"({"profile":{"info_cache":{"Default":{},"Profile 1":{"name":"Work"}}}})"),
              (Names{"Default", "Profile 1"}));
    // Names that would lead out of the user-data folder are passed over.
    EXPECT_EQ(profileNames(R"({"profile":{"info_cache":{"..":{},".":{},"/etc":{},"a/b":{},"a\\b":{},)"
                           R"("C:x":{},"":{},"Profile 2":{}}}})"),
              (Names{"Profile 2"}));
    EXPECT_EQ(profileNames(R"({"browser":{}})"), Names{});
    EXPECT_EQ(profileNames(R"({"profile":{"info_cache":[]}})"), Names{});
    EXPECT_EQ(profileNames(R"({"profile":"x"})"), Names{});
    for (const char* broken : {"", "[]", "{", "\x89PNG\r\n", R"({"a":1} trailing)"}) {
        EXPECT_EQ(profileNames(broken), std::nullopt) << broken;
    }
}

TEST(ChromiumPrefs, ThePolicyIsSetAndPutBackExactlyKeepingEveryOtherKeyInOrder)
{
    const std::string none = R"({"zeta":1,"alpha":{"b":[1,2.5,"x"]},"browser":{"window":true}})";
    const std::optional<WebRtcPolicy> had = readWebRtcPolicy(none);
    ASSERT_EQ(had, (WebRtcPolicy{false, std::nullopt}));
    const std::optional<std::string> on = withWebRtcPolicy(none, proxiedWebRtcPolicy());
    ASSERT_TRUE(on);
    EXPECT_EQ(*on, R"({"zeta":1,"alpha":{"b":[1,2.5,"x"]},"browser":{"window":true},)"
                   R"("webrtc":{"ip_handling_policy":"disable_non_proxied_udp"}})");
    EXPECT_EQ(readWebRtcPolicy(*on), proxiedWebRtcPolicy());
    EXPECT_EQ(withWebRtcPolicy(*on, *had), none);

    // A webrtc object of the user's stays, with its other keys, when the key was missing.
    const std::string own = R"({"webrtc":{"multiple_routes_enabled":false}})";
    const std::string ownOn = *withWebRtcPolicy(own, proxiedWebRtcPolicy());
    EXPECT_EQ(withWebRtcPolicy(ownOn, *readWebRtcPolicy(own)), own);
    const std::string empty = R"({"webrtc":{}})";
    EXPECT_EQ(withWebRtcPolicy(*withWebRtcPolicy(empty, proxiedWebRtcPolicy()), *readWebRtcPolicy(empty)),
              empty);

    // A value of the user's, of any kind, comes back as it was.
    const std::string value = R"({"webrtc":{"ip_handling_policy":"default_public_interface_only"}})";
    EXPECT_EQ(withWebRtcPolicy(*withWebRtcPolicy(value, proxiedWebRtcPolicy()), *readWebRtcPolicy(value)),
              value);
    const std::string odd = R"({"webrtc":{"ip_handling_policy":[1,{"x":null}]}})";
    EXPECT_EQ(withWebRtcPolicy(*withWebRtcPolicy(odd, proxiedWebRtcPolicy()), *readWebRtcPolicy(odd)), odd);
}

TEST(ChromiumPrefs, TextThatIsNoBrowsersPreferencesIsNeitherReadNorWritten)
{
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string deepInObject = "{\"a\":" + deep + "}";
    for (const std::string& text :
         {std::string(R"({"webrtc":"x"})"), std::string(R"({"webrtc":[]})"), std::string("[]"),
          std::string("\x00\x01\xff", 3), deepInObject, std::string("{\"a\":\"\xff\"}")}) {
        EXPECT_EQ(readWebRtcPolicy(text), std::nullopt) << text.substr(0, 20);
        EXPECT_EQ(withWebRtcPolicy(text, proxiedWebRtcPolicy()), std::nullopt) << text.substr(0, 20);
    }
    // Brackets inside strings are not nesting.
    const std::string quoted = "{\"a\":\"" + std::string(1000, '[') + "\\\"\"}";
    EXPECT_EQ(readWebRtcPolicy(quoted), (WebRtcPolicy{false, std::nullopt}));
    EXPECT_EQ(withWebRtcPolicy("{}", {true, std::string("not json")}), std::nullopt);
}

TEST(RestoreRecord, ItsTextHoldsTheDesktopAndEveryProfileAndRejectsAnythingElse)
{
    RestoreRecord record("unused");
    record.desktop = std::map<std::string, std::string>{{"gnome:http", "proxy.corp"}, {"kde:ftpProxy", ""}};
    record.preferences["/home/u/.config/chromium/Default/Preferences"] = {false, std::nullopt};
    record.preferences["/home/u/.config/vivaldi/Profile 1/Preferences"] = {true, R"({"a":[1,"b"]})"};
    RestoreRecord read("unused");
    ASSERT_TRUE(readRestoreRecordText(restoreRecordText(record), read));
    EXPECT_EQ(read.desktop, record.desktop);
    EXPECT_EQ(read.preferences, record.preferences);

    // A record without a desktop is one of profiles only.
    ASSERT_TRUE(readRestoreRecordText(R"({"preferences":{"/p":{"webrtc":true}}})", read));
    EXPECT_FALSE(read.desktop);
    EXPECT_EQ(read.preferences.at("/p"), (WebRtcPolicy{true, std::nullopt}));

    for (const char* broken :
         {"", "[]", R"({"desktop":[]})", R"({"desktop":{"a":1}})", R"({"preferences":{"/p":{}}})",
          R"({"preferences":{"/p":{"webrtc":"yes"}}})"}) {
        EXPECT_FALSE(readRestoreRecordText(broken, read)) << broken;
    }
    // A value nested a million deep would overflow the stack of the writer that keeps it.
    EXPECT_FALSE(readRestoreRecordText(R"({"preferences":{"/p":{"webrtc":true,"ip_handling_policy":)" +
                                           std::string(1000000, '[') + std::string(1000000, ']') + "}}}",
                                       read));
}
