#include "platform/windows/WindowsChildProcesses.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <windows.h>

using namespace platform;

// This test program is also the child it starts: "--child MODE ..." makes it one.
namespace {

constexpr const char* kChildFlag = "--child";

std::string thisProgram()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

void write(DWORD which, const std::string& text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

//   print         "out\n" on standard output, then "err\n" on standard error
//   args A...     each argument followed by a line feed
//   sleep         its process id as "pid=N\n", then a minute's sleep
//   parent EVENT  starts a sleeping child of its own, passes its "pid=N\n" on, and when
//                 the event is set ends abruptly, releasing nothing itself
int childMain(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "print") {
        write(STD_OUTPUT_HANDLE, "out\n");
        write(STD_ERROR_HANDLE, "err\n");
        return 3;
    }
    if (mode == "args") {
        for (int i = 3; i < argc; ++i) {
            write(STD_OUTPUT_HANDLE, std::string(argv[i]) + "\n");
        }
        return 0;
    }
    if (mode == "sleep") {
        write(STD_OUTPUT_HANDLE, "pid=" + std::to_string(GetCurrentProcessId()) + "\n");
        Sleep(60 * 1000);
        return 0;
    }
    if (mode == "parent" && argc > 3) {
        WindowsChildProcesses processes;
        const std::unique_ptr<ChildProcess> sleeper = processes.start(thisProgram(), {kChildFlag, "sleep"});
        const HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
        if (!sleeper || event == nullptr) {
            return 1;
        }
        std::string line;
        for (int i = 0; i < 1000 && line.find('\n') == std::string::npos; ++i) {
            char buffer[64];
            line.append(buffer, sleeper->read(buffer, sizeof buffer));
            Sleep(10);
        }
        write(STD_OUTPUT_HANDLE, line);
        WaitForSingleObject(event, 30 * 1000);
        TerminateProcess(GetCurrentProcess(), 0);
    }
    return 1;
}

// Waits until `condition` holds, at most about 10 s.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// What the child writes until it has written `ending` (or, without one, until it has
// ended and everything is read); at most about 10 s.
std::string output(ChildProcess& child, const std::string& ending = "")
{
    std::string text;
    eventually([&] {
        char buffer[256];
        text.append(buffer, child.read(buffer, sizeof buffer));
        return ending.empty() ? !child.isRunning() && child.bytesWaiting().value_or(0) == 0
                              : text.size() >= ending.size() &&
                                    text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
    });
    return text;
}

// The process id a sleeping child reports, opened to wait for its end and to end it.
struct ReportedProcess
{
    explicit ReportedProcess(const std::string& line)
    {
        if (line.rfind("pid=", 0) == 0) {
            handle = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, std::stoul(line.substr(4)));
        }
    }
    ~ReportedProcess()
    {
        if (handle != nullptr) {
            TerminateProcess(handle, 0); // should it outlive the test
            CloseHandle(handle);
        }
    }
    bool endsWithin10s() const { return WaitForSingleObject(handle, 10 * 1000) == WAIT_OBJECT_0; }
    HANDLE handle = nullptr;
};

} // namespace

TEST(WindowsChildProcesses, OutputAndErrorInOnePipeThenTheEnd)
{
    WindowsChildProcesses processes;
    const auto child = processes.start(thisProgram(), {kChildFlag, "print"});
    ASSERT_TRUE(child);
    EXPECT_EQ(output(*child), "out\nerr\n");
    EXPECT_FALSE(child->isRunning());
    // Ended and read: the pipe answers nothing or none, and a read does not wait.
    EXPECT_EQ(child->bytesWaiting().value_or(0), 0u);
    char buffer[8];
    EXPECT_EQ(child->read(buffer, sizeof buffer), 0u);
    // The pipe is polled: it offers nothing to watch.
    EXPECT_EQ(child->outputDescriptor(), std::nullopt);
}

TEST(WindowsChildProcesses, ProgramPathAndArgumentsArriveExactlyAsGiven)
{
    const std::vector<std::string> arguments = {
        "plain",        "two words",       "",        "quote\"inside",       "\"quoted\"", "trailing\\",
        "end space\\ ", "back\\\\\"slash", "a\\b\\c", "\\\\server\\share\\", "tab\there",  "-say"};
    // A copy in a folder with blanks: the path is not cut at the first blank.
    TempDir dir;
    const std::filesystem::path copy =
        std::filesystem::path(dir.makeFolder("folder with blanks")) / "child copy.exe";
    std::filesystem::copy_file(thisProgram(), copy);
    WindowsChildProcesses processes;
    std::vector<std::string> passed = {kChildFlag, "args"};
    passed.insert(passed.end(), arguments.begin(), arguments.end());
    const auto child = processes.start(copy.string(), passed);
    ASSERT_TRUE(child);
    std::string expected;
    for (const std::string& argument : arguments) {
        expected += argument + "\n";
    }
    EXPECT_EQ(output(*child), expected);
}

TEST(WindowsChildProcesses, TerminatedAtOnceAndEndedWhenReleased)
{
    WindowsChildProcesses processes;
    const auto child = processes.start(thisProgram(), {kChildFlag, "sleep"});
    ASSERT_TRUE(child);
    output(*child, "\n");
    EXPECT_TRUE(child->isRunning());
    EXPECT_EQ(child->bytesWaiting(), 0u);
    EXPECT_TRUE(child->terminate());
    EXPECT_TRUE(eventually([&] { return !child->isRunning(); }));

    // One still running when released is ended with it.
    auto released = processes.start(thisProgram(), {kChildFlag, "sleep"});
    ASSERT_TRUE(released);
    const ReportedProcess process(output(*released, "\n"));
    ASSERT_NE(process.handle, nullptr);
    released.reset();
    EXPECT_TRUE(process.endsWithin10s());

    EXPECT_FALSE(processes.start("C:\\nonexistent\\warden.exe", {}));
}

TEST(WindowsChildProcesses, OnlyItsOwnPipeGoesToTheChild)
{
    // An inheritable pipe of this program's, as another thread might hold one: once this
    // program closes its write end, the pipe is broken unless the child holds a copy.
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
    WindowsChildProcesses processes;
    const auto child = processes.start(thisProgram(), {kChildFlag, "sleep"});
    ASSERT_TRUE(child);
    output(*child, "\n");
    CloseHandle(writeEnd);
    DWORD waiting = 0;
    EXPECT_FALSE(PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    CloseHandle(readEnd);
}

TEST(WindowsChildProcesses, ChildEndsWhenTheProgramThatStartedItEnds)
{
    // The event lets the middle process end only once its child's id has been opened.
    const std::string eventName = "nimbra-test-parent-" + std::to_string(GetCurrentProcessId());
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(event, nullptr);
    WindowsChildProcesses processes;
    const auto parent = processes.start(thisProgram(), {kChildFlag, "parent", eventName});
    ASSERT_TRUE(parent);
    const ReportedProcess grandchild(output(*parent, "\n"));
    SetEvent(event);
    ASSERT_NE(grandchild.handle, nullptr);
    EXPECT_TRUE(eventually([&] { return !parent->isRunning(); }));
    EXPECT_TRUE(grandchild.endsWithin10s());
    CloseHandle(event);
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == kChildFlag) {
        return childMain(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
