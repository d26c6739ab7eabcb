// SPDX-License-Identifier: MIT
#include "app/singleinstance.h"

#include <gtest/gtest.h>

#include "tests/support/scratchfolder.h"

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
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

bool held(const std::string& name) { return makeNamedMutex()->OpenExisting(name); }

// The real mutex with a runtime folder of this test's own, so that no copy of
// the program on this machine and no folder below /tmp takes part.
class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        m_previous = previous ? std::optional<std::string>(previous) : std::nullopt;
        ::setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
    }
    void TearDown() override
    {
        if (m_previous)
            ::setenv("XDG_RUNTIME_DIR", m_previous->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

private:
    test::ScratchFolder m_runtime;
    std::optional<std::string> m_previous;
};

TEST_F(NamedMutexTest, SecondInstanceSeesFirstUntilReleaseOrDestruction)
{
    const std::string name = uniqueName();
    EXPECT_FALSE(held(name));
    auto first = makeNamedMutex();
    first->Create(name);
    EXPECT_TRUE(held(name));
    EXPECT_TRUE(held(name)) << "looking must not take it";
    EXPECT_FALSE(held(name + "_other"));
    first->Release();
    EXPECT_FALSE(held(name));
    first = makeNamedMutex();
    first->Create(name);
    first.reset();
    EXPECT_FALSE(held(name));
}

TEST_F(NamedMutexTest, HeldByAnotherProcessUntilItCrashesThoughItsProgramRuns)
{
    const std::string name = uniqueName();
    // The holder takes the mutex, starts a long-running program (as the trading
    // terminal is started) and waits. The pipe's write end closes on exec and in
    // the holder, so end-of-file after the pid means the program has been exec'd.
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        auto mutex = makeNamedMutex();
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
    auto next = makeNamedMutex();
    next->Create(name);
    EXPECT_TRUE(held(name));
}

// Without $XDG_RUNTIME_DIR the lock goes to a per-user folder below a shared
// one (/tmp). Another user may create that folder first; it is used only when
// it is ours and closed to everyone else, so nobody can hold our lock.
TEST(LockFolderTest, PrivateFolderIsMadeOrTrustedOnlyWhenOursAndClosed)
{
    const passwd* nobody = ::getpwnam("nobody");
    const struct {
        const char* name;
        std::function<void(const std::string& folder)> prepare;
        bool trusted;
    } rows[] = {
        {"AbsentIsMade", [](const std::string&) {}, true},
        {"OursAndClosed", [](const std::string& f) { ::mkdir(f.c_str(), 0700); }, true},
        {"OpenToOthers", [](const std::string& f) { ::mkdir(f.c_str(), 0700); ::chmod(f.c_str(), 0777); }, false},
        {"GroupMayEnter", [](const std::string& f) { ::mkdir(f.c_str(), 0700); ::chmod(f.c_str(), 0750); }, false},
        {"SymbolicLinkToAClosedFolderOfOurs",
         [](const std::string& f) {
             ::mkdir((f + "-real").c_str(), 0700);
             ::symlink((f + "-real").c_str(), f.c_str());
         },
         false},
        {"RegularFile", [](const std::string& f) { ::close(::open(f.c_str(), O_CREAT | O_WRONLY, 0600)); }, false},
        {"OwnedByAnotherUser",
         [nobody](const std::string& f) {
             ::mkdir(f.c_str(), 0700);
             if (::chown(f.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
                 std::perror("chown");
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (std::string(row.name) == "OwnedByAnotherUser" && (::geteuid() != 0 || !nobody)) {
            std::printf("skipped %s: only root can give a folder to another user\n", row.name);
            continue;
        }
        test::ScratchFolder base;
        const std::string folder = base / ("quorvane-" + std::to_string(::geteuid()));
        row.prepare(folder);
        const mode_t mask = ::umask(0277); // would leave the owner without write
        const std::string found = privateLockFolder(base.path());
        ::umask(mask);
        EXPECT_EQ(found, row.trusted ? folder : "");
        if (row.trusted) {
            struct stat info {};
            ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
            EXPECT_TRUE(S_ISDIR(info.st_mode));
            EXPECT_EQ(info.st_mode & 07777, 0700u);
        }
        EXPECT_EQ(lockFolder(nullptr, base.path()), found) << "no runtime folder: the private one";
        EXPECT_EQ(lockFolder("", base.path()), found);
        EXPECT_EQ(lockFolder("relative/run", base.path()), found);
        EXPECT_EQ(lockFolder(base.path().c_str(), "/nonexistent"), base.path()) << "the runtime folder comes first";
    }
}

TEST(LockFolderTest, EachFolderHoldsItsOwnLockAndNoFolderHoldsNone)
{
    test::ScratchFolder one, other;
    const std::string name = uniqueName();
    auto first = makeNamedMutexIn(privateLockFolder(one.path()));
    first->Create(name);
    EXPECT_TRUE(makeNamedMutexIn(privateLockFolder(one.path()))->OpenExisting(name)) << "same folder: refused";
    auto second = makeNamedMutexIn(privateLockFolder(other.path()));
    EXPECT_FALSE(second->OpenExisting(name)) << "another folder: both run";
    second->Create(name);
    EXPECT_TRUE(makeNamedMutexIn(privateLockFolder(other.path()))->OpenExisting(name));

    // An untrusted folder gives no lock at all, and never a file at "/".
    auto none = makeNamedMutexIn("");
    none->Create(name);
    EXPECT_FALSE(makeNamedMutexIn("")->OpenExisting(name));
    EXPECT_FALSE(std::filesystem::exists("/" + name + "." + std::to_string(::getuid()) + ".lock"));
}

// The window and the bridge share the lock; whoever holds it is named in it,
// so the one that starts second can say which program runs.
TEST(LockHolderTest, NamesTheLiveHolderOnlyAndNeverTrustsAnEditedRecord)
{
    test::ScratchFolder base;
    const std::string folder = privateLockFolder(base.path());
    const std::string name = uniqueName();
    auto bridge = makeNamedMutexIn(folder, "quorvane-bridge");
    auto window = makeNamedMutexIn(folder, "quorvane");
    EXPECT_FALSE(window->Holder(name)) << "nobody holds it yet";
    ASSERT_TRUE(bridge->Create(name));
    std::optional<LockHolder> holder = window->Holder(name);
    ASSERT_TRUE(holder);
    EXPECT_EQ(describeHolder(*holder), "quorvane-bridge (pid " + std::to_string(::getpid()) + ")");
    EXPECT_FALSE(window->Create(name)) << "taken: the bridge examines this";
    bridge->Release();
    EXPECT_FALSE(window->Holder(name)) << "the record of a holder that let go names nobody";
    ASSERT_TRUE(window->Create(name));
    holder = bridge->Holder(name);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->program, "quorvane");

    // A record that is no "<program> <pid>" names no program.
    for (const char* record : {"", "rm -rf /\n", "quorvane-bridge 0\n", "Quorvane\x1b[2J 12\n"}) {
        SCOPED_TRACE(record);
        test::writeFile(folder + "/" + name + "." + std::to_string(::getuid()) + ".lock", record);
        holder = bridge->Holder(name);
        ASSERT_TRUE(holder);
        EXPECT_EQ(describeHolder(*holder), "another copy of Quorvane");
    }
}

} // namespace
} // namespace quorvane
