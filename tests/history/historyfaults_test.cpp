// SPDX-License-Identifier: MIT
// History never breaks the poll: a file that cannot be written is one message
// until it works again, a damaged file is put aside (never deleted) and a new
// one started, and a writer killed at any moment keeps every finished poll.

#include "historytest.h"
#include "tests/support/scratchfolder.h"
#include "tests/support/unprivileged.h"

#include "history/historyreader.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>

namespace quorvane::test {
namespace {

namespace fs = std::filesystem;

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST(HistoryFaults, AFolderThatCannotHoldTheFileIsOneMessageAndThePollsGoOn)
{
    const struct Row {
        const char* name;
        const char* file; // below the scratch folder, in the read-only "ro"
        bool fileInPlace; // made while "ro" was writable
        const char* reason;
    } rows[] = {
        {"ReadOnlyFolder", "ro/history.sqlite", false, "the folder @/ro cannot be written (Permission denied)"},
        {"FolderCannotBeCreated", "ro/quorvane/history.sqlite", false,
         "cannot create the folder @/ro/quorvane: Permission denied"},
        // WAL needs room for its -wal and -shm beside the file.
        {"FileInPlaceButNoRoomForItsWal", "ro/history.sqlite", true,
         "the folder @/ro cannot be written (Permission denied)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder dir;
        ::chmod(dir.path().c_str(), 0755);
        fs::create_directory(dir / "ro");
        if (row.fileInPlace) {
            TestClock clock;
            std::vector<std::string> ignored;
            HistoryStore(optionsFor(dir / row.file, clock, ignored)).recordPoll(kNoon, demoPoll(1));
            for (const char* sidecar : {"-wal", "-shm"})
                fs::remove(dir / (std::string(row.file) + sidecar));
        }
        ::chmod((dir / "ro").c_str(), 0555);
        const std::string got = runAsOrdinaryUser([&] {
            TestClock clock;
            std::vector<std::string> messages;
            HistoryStore store(optionsFor(dir / row.file, clock, messages));
            int stored = 0;
            for (int poll = 0; poll < 3; ++poll)
                stored += store.recordPoll(kNoon + poll * 15000, demoPoll(poll)) ? 1 : 0;
            return std::to_string(stored) + " stored\n" + joined(messages);
        }, dir.path());
        ::chmod((dir / "ro").c_str(), 0755);
        ASSERT_EQ(got.substr(0, 9), "0 stored\n") << got;
        const std::string prefix = "History not saved in " + dir / row.file + ": ";
        EXPECT_EQ(got.substr(9, prefix.size()), prefix) << got;
        EXPECT_EQ(std::count(got.begin(), got.end(), '\n'), 2) << "one message for three polls:\n" << got;
        std::string reason = row.reason;
        if (const std::size_t at = reason.find('@'); at != std::string::npos)
            reason.replace(at, 1, dir.path());
        EXPECT_NE(got.find(reason), std::string::npos) << got;
    }
}

TEST(HistoryFaults, ALockHeldElsewhereIsOneMessageUntilAPollIsStoredAgain)
{
    ScratchFolder dir;
    const std::string file = dir / "history.sqlite";
    TestClock clock;
    std::vector<std::string> messages;
    HistoryStore store(optionsFor(file, clock, messages));
    RawConnection other(file);
    std::string outcomes;
    const auto poll = [&](int tag) { outcomes += store.recordPoll(kNoon + tag * 15000, demoPoll(tag)) ? '+' : '-'; };

    ASSERT_EQ(other.exec("BEGIN IMMEDIATE; INSERT INTO texts(bytes) VALUES('x')"), SQLITE_OK);
    poll(1);
    poll(2);
    ASSERT_EQ(other.exec("COMMIT"), SQLITE_OK);
    poll(3);
    ASSERT_EQ(other.exec("BEGIN IMMEDIATE; INSERT INTO texts(bytes) VALUES('y')"), SQLITE_OK);
    poll(4);
    ASSERT_EQ(other.exec("ROLLBACK"), SQLITE_OK);
    poll(5);
    EXPECT_EQ(outcomes, "--+-+");
    ASSERT_EQ(messages.size(), 2u) << joined(messages);
    EXPECT_EQ(messages[0], "History not saved in " + file + ": database is locked");
    EXPECT_EQ(store.points("EURUSD", 0, kNoon + kDayMs).size(), 2u) << "polls 3 and 5";
}

// A real history of some size, for cutting short.
void writeHistory(const std::string& file, int polls)
{
    TestClock clock;
    std::vector<std::string> ignored;
    HistoryStore store(optionsFor(file, clock, ignored));
    for (int k = 0; k < polls; ++k)
        store.recordPoll(kNoon + k * 15000, demoPoll(k));
}

TEST(HistoryFaults, ADamagedFileIsKeptUnderAnotherNameAndANewOneStarted)
{
    const struct Row {
        const char* name;
        std::function<void(const std::string& file)> damage;
    } rows[] = {
        {"Garbage", [](const std::string& file) { writeFile(file, std::string(3000, 'x')); }},
        {"TextFile", [](const std::string& file) { writeFile(file, "[Form]\nhint=1\n"); }},
        {"TruncatedRealFile",
         [](const std::string& file) {
             writeHistory(file, 400);
             fs::resize_file(file, fs::file_size(file) / 2);
         }},
        // Its -wal and -shm go with it: pages left in a -wal would be
        // replayed into whatever file bears the name next.
        {"GarbageWithSidecars",
         [](const std::string& file) {
             writeFile(file, std::string(3000, 'x'));
             writeFile(file + "-wal", "stale wal");
             writeFile(file + "-shm", "stale shm");
         }},
        {"OverwrittenPages",
         [](const std::string& file) {
             writeHistory(file, 400);
             std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(3 * 4096 + 100);
             f << std::string(4096, '\x5a');
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder dir;
        const std::string file = dir / "history.sqlite";
        row.damage(file);
        const std::string damaged = readFile(file);
        const std::string walBefore = readFile(file + "-wal");

        TestClock clock;
        std::vector<std::string> messages;
        HistoryStore store(optionsFor(file, clock, messages));
        ASSERT_TRUE(store.recordPoll(kNoon, demoPoll(7)));

        const std::string aside = damagedName(file, clock.now);
        EXPECT_TRUE(std::regex_match(aside, std::regex(".*/history\\.sqlite\\.damaged-[0-9]{8}-[0-9]{6}")));
        EXPECT_TRUE(readFile(aside) == damaged) << "kept as it was";
        EXPECT_EQ(readFile(aside + "-wal"), walBefore) << "its -wal goes with it";
        ASSERT_EQ(messages.size(), 1u) << joined(messages);
        EXPECT_EQ(messages[0].rfind("History file " + file + " was damaged (", 0), 0u) << messages[0];
        EXPECT_NE(messages[0].find("; it is kept as " + aside + " and a new one is started"), std::string::npos)
            << messages[0];
        const std::vector<HistoryPoint> points = HistoryReader(file).points("EURUSD", 0, kNoon + 1);
        ASSERT_EQ(points.size(), 1u) << "the new file holds the new poll alone";
        EXPECT_EQ(points[0].price, "1.7");
    }
}

// The writer runs in a child that says after each poll that it is stored;
// it is killed at once, so it dies inside the next poll as often as not.
TEST(HistoryFaults, AfterSIGKILLEveryFinishedPollIsInTheFileAndNoneIsHalfThere)
{
    ScratchFolder dir;
    const std::string file = dir / "history.sqlite";
    int lastFinished = 0;
    for (const int finishedBeforeKill : {1, 2, 5, 9, 17, 30, 55}) {
        SCOPED_TRACE(finishedBeforeKill);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const int first = lastFinished + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            TestClock clock;
            std::vector<std::string> ignored;
            HistoryStore store(optionsFor(file, clock, ignored));
            for (int tag = first; tag < first + 100000; ++tag) {
                if (store.recordPoll(kNoon + tag * 15000, demoPoll(tag)) && ::write(fds[1], &tag, sizeof tag) < 0)
                    break;
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        int tag = 0;
        for (int seen = 0; seen < finishedBeforeKill && ::read(fds[0], &tag, sizeof tag) == sizeof tag;)
            ++seen;
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_EQ(tag, lastFinished + finishedBeforeKill);
        lastFinished = tag;

        std::map<std::int64_t, int> recordsPerPoll;
        for (const std::string& symbol : HistoryReader(file).symbols())
            for (const HistoryPoint& p : HistoryReader(file).points(symbol, 0, kNoon + kDayMs))
                ++recordsPerPoll[(p.receivedUtcMs - kNoon) / 15000];
        for (int k = 1; k <= lastFinished; ++k)
            EXPECT_EQ(recordsPerPoll[k], 8) << "finished poll " << k;
        for (const auto& [k, count] : recordsPerPoll)
            EXPECT_EQ(count, 8) << "poll " << k << " is in part";
        // The poll the child was in may have finished unseen; the next run goes on after it.
        lastFinished = std::max(lastFinished, static_cast<int>(recordsPerPoll.rbegin()->first));
    }
}

} // namespace
} // namespace quorvane::test
