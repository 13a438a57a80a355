#include "platform/linux/LinuxChildProcesses.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <poll.h>
#include <sys/wait.h>
#include <thread>

using namespace platform;

namespace {

std::size_t openDescriptors()
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Waits until `condition` holds, at most about 10 s.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// True when this process has no child left, running or waiting to be reaped.
bool noChildren()
{
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// What poll says of `descriptor` within `timeoutMs` (0: at once): its returned events.
short pollEvents(int descriptor, int timeoutMs)
{
    pollfd watched{descriptor, POLLIN, 0};
    return poll(&watched, 1, timeoutMs) == 1 ? watched.revents : 0;
}

} // namespace

TEST(LinuxChildProcesses, OutputAndErrorInOnePipeThenTheEndAndNothingLeftBehind)
{
    const std::size_t before = openDescriptors();
    LinuxChildProcesses processes;
    auto child =
        processes.start("/bin/sh", {"-c", "printf 'out\\n'; printf 'err\\n' >&2; exit 3", "ignored words"});
    ASSERT_TRUE(child);
    ASSERT_TRUE(eventually([&] { return !child->isRunning(); }));
    EXPECT_EQ(child->bytesWaiting(), 8u);
    char buffer[5];
    EXPECT_EQ(child->read(buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::string(buffer, 5), "out\ne");
    EXPECT_EQ(child->read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(child->bytesWaiting(), 0u);
    EXPECT_EQ(child->read(buffer, sizeof buffer), 0u); // nothing more, and no waiting for it
    child.reset();
    EXPECT_TRUE(noChildren());
    EXPECT_EQ(openDescriptors(), before);
}

TEST(LinuxChildProcesses, TerminatedAtOnceAndReleasedRunningOrNot)
{
    const std::size_t before = openDescriptors();
    LinuxChildProcesses processes;
    auto child = processes.start("/bin/sleep", {"60"});
    ASSERT_TRUE(child);
    EXPECT_TRUE(child->isRunning());
    EXPECT_EQ(child->bytesWaiting(), 0u);
    EXPECT_TRUE(child->terminate());
    EXPECT_TRUE(eventually([&] { return !child->isRunning(); }));
    child.reset();
    // One still running when released is ended with it.
    processes.start("/bin/sleep", {"60"}).reset();
    EXPECT_TRUE(noChildren());
    EXPECT_FALSE(processes.start("/nonexistent/warden", {}));
    EXPECT_EQ(openDescriptors(), before);
}

TEST(LinuxChildProcesses, ItsOutputDescriptorTurnsReadableWithOutputAndAtTheEnd)
{
    TempDir dir;
    const std::string go = dir.file("go");
    LinuxChildProcesses processes;
    // Writes once the test lets it, then stays until its file is gone.
    auto child = processes.start(
        "/bin/sh", {"-c",
                    "while [ ! -e \"$0\" ]; do sleep 0.01; done; echo said; while [ -e \"$0\" ]; do "
                    "sleep 0.01; done",
                    go});
    ASSERT_TRUE(child);
    const std::optional<int> descriptor = child->outputDescriptor();
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(pollEvents(*descriptor, 0), 0);
    dir.writeFile("go", "");
    EXPECT_EQ(pollEvents(*descriptor, 10000), POLLIN);
    char buffer[8];
    EXPECT_EQ(std::string(buffer, child->read(buffer, sizeof buffer)), "said\n");
    EXPECT_EQ(pollEvents(*descriptor, 0), 0);
    // Readable for good once the child's end is closed, with nothing to read.
    std::filesystem::remove(go);
    EXPECT_EQ(pollEvents(*descriptor, 10000), POLLHUP);
    EXPECT_EQ(child->bytesWaiting(), 0u);
}
