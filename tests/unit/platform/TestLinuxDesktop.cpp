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

// A program that writes "<argument count>|<first argument>" to `output`.
std::string writeRecorder(const TempDir& temp, const std::string& name, const std::string& output)
{
    const std::string path =
        temp.writeFile("bin/" + name, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + output +
                                          ".part' && /bin/mv '" + output + ".part' '" + output + "'\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// The file's content once it appears (the recorder runs detached), or empty.
std::string waitForFile(const std::string& path)
{
    for (int i = 0; i < 200 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return fileContent(path);
}

// GLib reads the XDG folders once per process, so every use of the desktop's handlers
// runs in a child that sets them first. Returns what the child wrote to `result`.
template <typename Body> std::string inChildWithDesktop(const TempDir& temp, Body body)
{
    int channel[2];
    if (pipe(channel) != 0) {
        return "pipe failed";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        setenv("XDG_DATA_HOME", temp.file("data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", temp.file("config").c_str(), 1);
        setenv("XDG_DATA_DIRS", temp.file("none").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", temp.file("none").c_str(), 1);
        const std::string result = body();
        (void)!write(channel[1], result.data(), result.size());
        _exit(0);
    }
    close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return result;
}

// Registers a recorder as the desktop's handler of http addresses.
std::string installBrowser(const TempDir& temp, const std::string& output)
{
    const std::string program = writeRecorder(temp, "fake-browser", output);
    temp.writeFile("data/applications/fake-browser.desktop",
                   "[Desktop Entry]\nType=Application\nName=Fake Browser\nExec=" + program +
                       " %u\nMimeType=x-scheme-handler/http;\n");
    temp.writeFile("config/mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/http=fake-browser.desktop\n");
    return program;
}

} // namespace

TEST(UriForTarget, AddressesStayAndPathsBecomeFileAddresses)
{
    EXPECT_EQ(uriForTarget("http://127.0.0.1:8369/a?b=c d"), "http://127.0.0.1:8369/a?b=c d");
    EXPECT_EQ(uriForTarget("mailto:someone@127.0.0.1"), "mailto:someone@127.0.0.1");
    EXPECT_EQ(uriForTarget("/tmp/read me.txt"), "file:///tmp/read%20me.txt");
    EXPECT_EQ(uriForTarget("help.html"), "file://" + std::filesystem::current_path().string() + "/help.html");
    EXPECT_EQ(uriForTarget(""), "");
}

TEST(LinuxDesktop, ShellOpenWithStartsTheProgramFromThePathWithOneArgument)
{
    TempDir temp;
    const std::string output = temp.file("out");
    writeRecorder(temp, "fake-open", output);
    ScopedEnv path("PATH", temp.file("bin"));

    LinuxDesktop desktop;
    desktop.shellOpenWith("fake-open", "http://127.0.0.1/a b;$HOME `id`");
    EXPECT_EQ(waitForFile(output), "1|http://127.0.0.1/a b;$HOME `id`");
    // Nothing is left for this process to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(LinuxDesktop, ShellOpenWithAMissingProgramDoesNothing)
{
    TempDir temp;
    ScopedEnv path("PATH", temp.path());
    LinuxDesktop().shellOpenWith("no-such-program", "x");
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(LinuxDesktop, NoHandlerNoBrowser)
{
    TempDir temp;
    EXPECT_EQ(inChildWithDesktop(temp, [] { return "[" + LinuxDesktop().defaultBrowserCommand() + "]"; }),
              "[]");
}

TEST(LinuxDesktop, DefaultBrowserIsTheHttpHandler)
{
    TempDir temp;
    const std::string program = installBrowser(temp, temp.file("out"));
    EXPECT_EQ(inChildWithDesktop(temp, [] { return LinuxDesktop().defaultBrowserCommand(); }),
              program + " %u");
}

TEST(LinuxDesktop, ShellOpenHandsTheAddressToTheHandler)
{
    TempDir temp;
    installBrowser(temp, temp.file("out"));
    inChildWithDesktop(temp, [] {
        LinuxDesktop().shellOpen("http://127.0.0.1:8369/page?a=1");
        return std::string();
    });
    EXPECT_EQ(waitForFile(temp.file("out")), "1|http://127.0.0.1:8369/page?a=1");
}
