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
    return std::string("QuorvaneTest_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_"
           + std::to_string(::getpid());
}

bool held(const std::string& name) { return MakeNamedMutex()->OpenExisting(name); }

TEST(NamedMutexTest, SecondInstanceSeesFirstUntilReleaseOrDestruction)
{
    const std::string name = uniqueName();
    EXPECT_FALSE(held(name));
    auto first = MakeNamedMutex();
    first->Create(name);
    EXPECT_TRUE(held(name));
    EXPECT_TRUE(held(name)) << "looking must not take it";
    EXPECT_FALSE(held(name + "_other"));
    first->Release();
    EXPECT_FALSE(held(name));
    first = MakeNamedMutex();
    first->Create(name);
    first.reset();
    EXPECT_FALSE(held(name));
}

TEST(NamedMutexTest, HeldByAnotherProcessUntilItCrashesThoughItsProgramRuns)
{
    const std::string name = uniqueName();
    // The holder takes the mutex, starts a long-running program (as the trading
    // terminal is started) and waits. The pipe's write end closes on exec and in
    // the holder, so end-of-file after the pid means the program has been exec'd.
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
        ::close(report[1]);
        for (;;)
            ::pause();
    }
    ::close(report[1]);
    pid_t program = -1;
    char rest = 0;
    const bool started = ::read(report[0], &program, sizeof program) == static_cast<ssize_t>(sizeof program)
                         && ::read(report[0], &rest, 1) == 0;
    ::close(report[0]);
    const bool heldByHolder = held(name);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    const bool heldAfterCrash = held(name);
    if (started)
        ::kill(program, SIGKILL);
    ASSERT_TRUE(started);
    EXPECT_TRUE(heldByHolder);
    EXPECT_FALSE(heldAfterCrash) << "the program started by the holder must not keep it";
    auto next = MakeNamedMutex();
    next->Create(name);
    EXPECT_TRUE(held(name));
}

} // namespace
} // namespace quorvane
