#include "platform/SingleInstance.h"
#include "platform/linux/LinuxSingleInstance.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempHome.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

// Whether a second process gets the lock `name`.
bool otherProcessAcquires(const std::string& name)
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(acquireSingleInstance(name) == InstanceLock::Acquired ? 1 : 0);
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

TEST_F(SingleInstanceTest, LockFileIsInTheRuntimeFolderElseInTheUsersOwnConfigFolder)
{
    EXPECT_EQ(singleInstanceLockPath("Nimbra"), m_runtime.path() + "/Nimbra.lock");
    TempHome user;
    {
        // Named but missing: made, private, so every copy finds the lock in one place.
        ScopedEnv missingRuntime("XDG_RUNTIME_DIR", user.dir.file("missing"));
        EXPECT_EQ(singleInstanceLockPath("Nimbra"), user.dir.file("missing/Nimbra.lock"));
    }
    for (const auto& runtime : {std::optional<std::string>(), std::optional(user.dir.file("no/parent"))}) {
        ScopedEnv otherRuntime("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(singleInstanceLockPath("Nimbra"), user.dir.file("home/.config/Nimbra.lock"));
    }
    for (const char* made : {"missing", "home/.config"}) {
        struct stat info
        {
        };
        ASSERT_EQ(stat(user.dir.file(made).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 077, 0u) << made;
    }
}

TEST_F(SingleInstanceTest, ALockThatCannotBeTakenIsUnavailableNotHeldElsewhere)
{
    TempHome user;
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    user.dir.writeFile("home", "a file where the home folder should be");
    EXPECT_EQ(acquireSingleInstance("nofolder"), InstanceLock::Unavailable);
    // A link planted in the lock's place is not followed.
    ScopedEnv runtime("XDG_RUNTIME_DIR", m_runtime.path());
    ASSERT_EQ(symlink(user.dir.file("elsewhere").c_str(), singleInstanceLockPath("planted").c_str()), 0);
    EXPECT_EQ(acquireSingleInstance("planted"), InstanceLock::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(user.dir.file("elsewhere")));
}

TEST_F(SingleInstanceTest, HeldLockRefusesOtherProcessesAndEndsWithItsProcess)
{
    // The lock another process took is gone once that process has ended.
    EXPECT_TRUE(otherProcessAcquires("first"));
    ASSERT_EQ(acquireSingleInstance("first"), InstanceLock::Acquired);
    EXPECT_FALSE(otherProcessAcquires("first"));
    EXPECT_TRUE(otherProcessAcquires("second"));
}

TEST_F(SingleInstanceTest, LockIsNotInheritedByStartedPrograms)
{
    ASSERT_EQ(acquireSingleInstance("cloexec"), InstanceLock::Acquired);
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
