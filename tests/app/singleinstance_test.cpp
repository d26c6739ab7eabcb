#include "singleinstance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane {
namespace {

// A name of its own per test and run, so parallel runs never meet.
std::string uniqueName()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("QuorvaneTest_") + info->name() + "_" + std::to_string(::getpid());
}

// A child process that takes the mutex, tells the parent, and then waits for
// its end; returns the child's pid.
pid_t holdInChild(const std::string& name)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        auto mutex = MakeNamedMutex();
        mutex->Create(name);
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1)
            ::_exit(2);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    const ssize_t got = ::read(ready[0], &byte, 1);
    ::close(ready[0]);
    return got == 1 ? child : -1;
}

TEST(NamedMutexTest, SecondInstanceSeesFirstAndNotAfterRelease)
{
    const std::string name = uniqueName();
    EXPECT_FALSE(MakeNamedMutex()->OpenExisting(name));
    auto first = MakeNamedMutex();
    first->Create(name);
    EXPECT_TRUE(MakeNamedMutex()->OpenExisting(name));
    // Looking must not take it: a second look sees it still held.
    EXPECT_TRUE(MakeNamedMutex()->OpenExisting(name));
    EXPECT_FALSE(MakeNamedMutex()->OpenExisting(name + "_other"));
    first->Release();
    EXPECT_FALSE(MakeNamedMutex()->OpenExisting(name));
}

TEST(NamedMutexTest, DestroyingTheHolderReleases)
{
    const std::string name = uniqueName();
    {
        auto holder = MakeNamedMutex();
        holder->Create(name);
        ASSERT_TRUE(MakeNamedMutex()->OpenExisting(name));
    }
    EXPECT_FALSE(MakeNamedMutex()->OpenExisting(name));
}

TEST(NamedMutexTest, HeldByAnotherProcessUntilItIsKilled)
{
    const std::string name = uniqueName();
    const pid_t child = holdInChild(name);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(MakeNamedMutex()->OpenExisting(name));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_FALSE(MakeNamedMutex()->OpenExisting(name));
    auto next = MakeNamedMutex();
    next->Create(name);
    EXPECT_TRUE(MakeNamedMutex()->OpenExisting(name));
}

TEST(NamedMutexTest, ProgramStartedByACrashedHolderDoesNotKeepIt)
{
    const std::string name = uniqueName();
    // The holder starts a long-running program (as the trading terminal is started)
    // and then dies without releasing. The pipe's write end closes on exec, so
    // end-of-file tells us that the holder is gone and the program has been exec'd.
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        auto mutex = MakeNamedMutex();
        mutex->Create(name);
        const pid_t program = ::fork();
        if (program == 0) {
            ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (::write(report[1], &program, sizeof program) != sizeof program)
            ::_exit(2);
        ::_exit(0);
    }
    ASSERT_GT(holder, 0);
    ::close(report[1]);
    pid_t program = -1;
    ASSERT_EQ(::read(report[0], &program, sizeof program), static_cast<ssize_t>(sizeof program));
    char rest = 0;
    EXPECT_EQ(::read(report[0], &rest, 1), 0);
    ::close(report[0]);
    int status = 0;
    ::waitpid(holder, &status, 0);
    const bool stillHeld = MakeNamedMutex()->OpenExisting(name);
    ::kill(program, SIGKILL);
    EXPECT_FALSE(stillHeld);
}

} // namespace
} // namespace quorvane
