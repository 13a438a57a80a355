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

// Whether a second process gets the lock `name`.
bool otherProcessAcquires(const std::string& name)
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(acquireSingleInstance(name) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

class SingleInstanceTest : public testing::Test
{
protected:
    TempDir m_runtime;
    ScopedEnv m_runtimeDir{"XDG_RUNTIME_DIR", m_runtime.path()};
};

} // namespace

TEST_F(SingleInstanceTest, LockFileIsInTheRuntimeFolderElseInTmp)
{
    EXPECT_EQ(singleInstanceLockPath("Nimbra"), m_runtime.path() + "/Nimbra.lock");
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(singleInstanceLockPath("Nimbra"), "/tmp/Nimbra-" + std::to_string(getuid()) + ".lock");
}

TEST_F(SingleInstanceTest, HeldLockRefusesOtherProcessesAndEndsWithItsProcess)
{
    // The lock another process took is gone once that process has ended.
    EXPECT_TRUE(otherProcessAcquires("first"));
    ASSERT_TRUE(acquireSingleInstance("first"));
    EXPECT_FALSE(otherProcessAcquires("first"));
    EXPECT_TRUE(otherProcessAcquires("second"));
}

TEST_F(SingleInstanceTest, LockIsNotInheritedByStartedPrograms)
{
    ASSERT_TRUE(acquireSingleInstance("cloexec"));
    const std::string lockFile = singleInstanceLockPath("cloexec");
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code failed;
        if (std::filesystem::read_symlink(entry.path(), failed) == lockFile) {
            found = true;
            EXPECT_TRUE(fcntl(std::stoi(entry.path().filename().string()), F_GETFD) & FD_CLOEXEC);
        }
    }
    EXPECT_TRUE(found);
}
