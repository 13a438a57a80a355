#include "platform/windows/CommandLineArgument.h"
#include "platform/windows/RegistryKey.h"
#include "platform/windows/WindowsAutostart.h"
#include "platform/windows/WindowsDesktop.h"

#include "UnderWine.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A key of the test's own below `parent` of HKEY_CURRENT_USER, removed with all it holds.
struct TestKey
{
    explicit TestKey(const std::string& parent = "Software") : path(parent + "\\" + name) {}
    ~TestKey() { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

    const std::string name =
        "NimbraTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    const std::string path;
};

bool keyExists(HKEY root, const std::string& path)
{
    return RegistryKey::open(root, path, KEY_READ).isOpen();
}

void setText(const RegistryKey& key, const char* name, const std::string& text)
{
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

} // namespace

TEST(WindowsAutostart, RunEntryRoundTrip)
{
    TestKey test;
    const std::string run = test.path + "\\Run";
    WindowsAutostart autostart(run);
    const std::string command = "C:\\Program Files\\Nimbra\\nimbra.exe";

    // Removing what is not there is no error.
    autostart.setEnabled(false, "Nimbra", "");
    EXPECT_FALSE(autostart.isEnabled("Nimbra"));

    autostart.setEnabled(true, "Nimbra", command);
    EXPECT_TRUE(autostart.isEnabled("Nimbra"));
    // A string value, unquoted and whole, as the system's log-on reads it.
    const RegistryKey key = RegistryKey::open(HKEY_CURRENT_USER, run, KEY_READ);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(key.get(), "Nimbra", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(key.text("Nimbra"), command);

    autostart.setEnabled(true, "Nimbra", "C:\\other.exe");
    EXPECT_EQ(key.text("Nimbra"), "C:\\other.exe");
    autostart.setEnabled(false, "Nimbra", "");
    EXPECT_FALSE(autostart.isEnabled("Nimbra"));
    EXPECT_EQ(key.text("Nimbra"), std::nullopt);
    // An entry with an empty command starts nothing.
    autostart.setEnabled(true, "Nimbra", "");
    EXPECT_FALSE(autostart.isEnabled("Nimbra"));
}

TEST(WindowsDesktop, DefaultBrowserIsReadWithoutCreatingTheKey)
{
    // HKEY_CLASSES_ROOT shows the user's classes (HKCU\Software\Classes) over the machine's.
    TestKey test("Software\\Classes");
    WindowsDesktop desktop(test.name + "\\shell\\open\\command");
    EXPECT_EQ(desktop.defaultBrowserCommand(), "");
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, test.name));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, test.path));

    const std::string browser = "\"C:\\Browser\\browser.exe\" -osint -url \"%1\"";
    setText(RegistryKey::create(HKEY_CURRENT_USER, test.path + "\\shell\\open\\command", KEY_SET_VALUE),
            nullptr, browser);
    if (underWine()) {
        // Wine's HKEY_CLASSES_ROOT does not show the user's classes; its own registration
        // of "http" (its browser launcher) is read instead.
        EXPECT_NE(WindowsDesktop().defaultBrowserCommand().find("winebrowser"), std::string::npos);
    } else {
        EXPECT_EQ(desktop.defaultBrowserCommand(), browser);
    }
}

TEST(WindowsDesktop, ArgumentsReachTheProgramAsOne)
{
    // Ordinary addresses go as they are.
    EXPECT_EQ(commandLineArgument("http://127.0.0.1:8080/ip?a=1&b=2"), "http://127.0.0.1:8080/ip?a=1&b=2");
    EXPECT_EQ(commandLineArgument("C:\\path\\"), "C:\\path\\");
    // Blanks and quotes would split the argument or end it early.
    EXPECT_EQ(commandLineArgument(""), "\"\"");
    EXPECT_EQ(commandLineArgument("a b"), "\"a b\"");
    EXPECT_EQ(commandLineArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(commandLineArgument("C:\\my folder\\"), "\"C:\\my folder\\\\\"");
    EXPECT_EQ(commandLineArgument("a\\\\\"b c"), "\"a\\\\\\\\\\\"b c\"");
}
