#include "platform/SingleInstance.h"
#include "platform/linux/LinuxSingleInstance.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

// Runs `body` in a child process and returns its exit code.
template <typename Body> int inChild(Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The descriptor of this process that has `path` open, or -1.
int descriptorOf(const std::string& path)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code failed;
        if (std::filesystem::read_symlink(entry.path(), failed) == path) {
            return std::stoi(entry.path().filename().string());
        }
    }
    return -1;
}

class SingleInstanceTest : public testing::Test
{
protected:
    TempDir m_runtime;
    ScopedEnv m_runtimeDir{"XDG_RUNTIME_DIR", m_runtime.path()};
};

} // namespace

TEST_F(SingleInstanceTest, LockFileIsInTheRuntimeFolder)
{
    EXPECT_EQ(singleInstanceLockPath("Nimbra"), m_runtime.path() + "/Nimbra.lock");
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(singleInstanceLockPath("Nimbra"), "/tmp/Nimbra-" + std::to_string(getuid()) + ".lock");
}

TEST_F(SingleInstanceTest, SecondProcessIsRefusedWhileTheFirstRuns)
{
    int ready[2];
    int finish[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(finish), 0);
    const pid_t first = fork();
    if (first == 0) {
        const char held = acquireSingleInstance("held") ? '1' : '0';
        (void)!write(ready[1], &held, 1);
        char done = 0;
        (void)!read(finish[0], &done, 1);
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, '1');
    EXPECT_FALSE(acquireSingleInstance("held"));
    EXPECT_EQ(inChild([] { return acquireSingleInstance("held") ? 1 : 0; }), 0);

    (void)!write(finish[1], "x", 1);
    waitpid(first, nullptr, 0);
    for (const int end : {ready[0], ready[1], finish[0], finish[1]}) {
        close(end);
    }
    // The lock went with the first process.
    EXPECT_TRUE(acquireSingleInstance("held"));
    EXPECT_EQ(inChild([] { return acquireSingleInstance("held") ? 1 : 0; }), 0);
}

TEST_F(SingleInstanceTest, OtherNamesAreIndependent)
{
    EXPECT_TRUE(acquireSingleInstance("one"));
    EXPECT_EQ(inChild([] { return acquireSingleInstance("two") ? 1 : 0; }), 1);
}

TEST_F(SingleInstanceTest, LockIsNotInheritedByStartedPrograms)
{
    ASSERT_TRUE(acquireSingleInstance("cloexec"));
    const int descriptor = descriptorOf(singleInstanceLockPath("cloexec"));
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(fcntl(descriptor, F_GETFD) & FD_CLOEXEC);
}

TEST_F(SingleInstanceTest, UnwritableFolderRefuses)
{
    ScopedEnv missing("XDG_RUNTIME_DIR", m_runtime.file("missing"));
    EXPECT_FALSE(acquireSingleInstance("nowhere"));
}
