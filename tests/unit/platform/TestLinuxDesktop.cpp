#include "platform/linux/LinuxDesktop.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

// A program in <temp>/bin that writes "<argument count>|<first argument>" to <temp>/out.
std::string writeRecorder(const TempDir& temp, const std::string& name)
{
    const std::string out = temp.file("out");
    const std::string path =
        temp.writeFile("bin/" + name, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out +
                                          ".part' && /bin/mv '" + out + ".part' '" + out + "'\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// What the recorder wrote, once it is there (it runs detached), or empty.
std::string recorded(const TempDir& temp)
{
    for (int i = 0; i < 200 && !std::filesystem::exists(temp.file("out")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return fileContent(temp.file("out"));
}

// GLib reads the XDG folders once per process, so the desktop's handlers are asked in a
// child that points them at `temp` first. Returns what `body` returned there.
template <typename Body> std::string inChildWithDesktop(const TempDir& temp, Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        setenv("XDG_DATA_HOME", temp.file("data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", temp.file("config").c_str(), 1);
        setenv("XDG_DATA_DIRS", temp.file("none").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", temp.file("none").c_str(), 1);
        temp.writeFile("result", body());
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return fileContent(temp.file("result"));
}

// Registers a recorder as the desktop's handler of http addresses.
std::string installBrowser(const TempDir& temp)
{
    const std::string program = writeRecorder(temp, "fake-browser");
    temp.writeFile("data/applications/fake-browser.desktop",
                   "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + program + " %u\n");
    temp.writeFile("config/mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/http=fake-browser.desktop\n");
    return program;
}

} // namespace

TEST(UriForTarget, AddressesStayAndPathsBecomeFileAddresses)
{
    EXPECT_EQ(uriForTarget("http://127.0.0.1:8369/a?b=c"), "http://127.0.0.1:8369/a?b=c");
    EXPECT_EQ(uriForTarget("mailto:someone@127.0.0.1"), "mailto:someone@127.0.0.1");
    EXPECT_EQ(uriForTarget("/tmp/read me.txt"), "file:///tmp/read%20me.txt");
    EXPECT_EQ(uriForTarget("help.html"), "file://" + std::filesystem::current_path().string() + "/help.html");
}

TEST(LinuxDesktop, ShellOpenWithStartsTheProgramFromThePathWithOneArgument)
{
    TempDir temp;
    writeRecorder(temp, "fake-open");
    ScopedEnv path("PATH", temp.file("bin"));
    LinuxDesktop().shellOpenWith("fake-open", "http://127.0.0.1/a b;$HOME `id`");
    EXPECT_EQ(recorded(temp), "1|http://127.0.0.1/a b;$HOME `id`");
    // No zombie: nothing is left for this process to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(LinuxDesktop, DefaultBrowserIsTheHttpHandler)
{
    TempDir temp;
    EXPECT_EQ(inChildWithDesktop(temp, [] { return "[" + LinuxDesktop().defaultBrowserCommand() + "]"; }),
              "[]");
    const std::string program = installBrowser(temp);
    EXPECT_EQ(inChildWithDesktop(temp, [] { return LinuxDesktop().defaultBrowserCommand(); }),
              program + " %u");
}
