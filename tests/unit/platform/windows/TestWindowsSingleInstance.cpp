#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace platform;

namespace {

// This test program started again as "--acquire NAME" takes the lock and ends with the
// answer as its exit code.
constexpr const char* kAcquireFlag = "--acquire";

// The answer another process gets for `name`; nothing when it could not be asked.
std::optional<InstanceLock> otherProcessAcquires(const std::string& name)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::nullopt;
    }
    std::string commandLine = "\"" + std::string(path) + "\" " + kAcquireFlag + " " + name;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        return std::nullopt;
    }
    DWORD code = STILL_ACTIVE;
    const bool ended = WaitForSingleObject(created.hProcess, 30 * 1000) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(created.hProcess, &code);
    if (!ended) {
        TerminateProcess(created.hProcess, 1);
    }
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
    if (!ended || code > static_cast<DWORD>(InstanceLock::Unavailable)) {
        return std::nullopt;
    }
    return static_cast<InstanceLock>(code);
}

// Names of this run only, so no other run or program interferes.
std::string uniqueName(const std::string& what)
{
    return "NimbraTest-" + what + "-" + std::to_string(GetCurrentProcessId());
}

} // namespace

TEST(WindowsSingleInstance, HeldForTheLifeOfTheProcessThatTookIt)
{
    const std::string first = uniqueName("first");
    // Another process's lock is gone once that process has ended.
    EXPECT_EQ(otherProcessAcquires(first), InstanceLock::Acquired);
    ASSERT_EQ(acquireSingleInstance(first), InstanceLock::Acquired);
    EXPECT_EQ(otherProcessAcquires(first), InstanceLock::HeldElsewhere);
    // Asking again here keeps the lock as it is.
    EXPECT_EQ(acquireSingleInstance(first), InstanceLock::HeldElsewhere);
    EXPECT_EQ(otherProcessAcquires(first), InstanceLock::HeldElsewhere);
    EXPECT_EQ(otherProcessAcquires(uniqueName("second")), InstanceLock::Acquired);
}

TEST(WindowsSingleInstance, ANameTheSystemRefusesIsUnavailableNotHeldElsewhere)
{
    // A namespace that does not exist: no copy can hold it, and none is kept from starting.
    EXPECT_EQ(acquireSingleInstance("NoSuchNamespace\\" + uniqueName("refused")), InstanceLock::Unavailable);
}

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == kAcquireFlag) {
        return static_cast<int>(acquireSingleInstance(argv[2]));
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
