// SPDX-License-Identifier: MIT
// Weeks beside a trading terminal, compressed: the real main window polls a
// loopback service thousands of times while the answers cycle through every
// kind of good and bad reply. Afterwards nothing may have grown or leaked,
// every failed poll must have left exactly one log entry, and the signal
// files must hold the last good records.
#include "tests/support/formharness.h"
#include "tests/support/loopbackservice.h"
#include "tests/support/qtapp.h"
#include "core/records.h"
#include "app/tform1.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace quorvane::test {
namespace {

struct ReplyCase {
    const char* name;
    const char* path;     // request path; a poll number is appended where it matters
    bool tagged;
    const char* status;   // status text the poll must end with
    bool logged;          // whether the poll adds a log entry
};

constexpr ReplyCase kGood{"good", "/good/", true, "Connected!", false};
constexpr ReplyCase kSlow{"slow", "/slow/300/", true, "Connected!", false};
// The everyday cycle; the slow answer comes every 200th poll to keep the run short.
constexpr ReplyCase kCycle[] = {
    kGood,
    {"empty", "/empty", false, "Data Error!", false},
    kGood,
    {"no record", "/norecord", false, "Data Error!", true},
    {"malformed", "/malformed", false, "Disconnect!", true},
    {"fault", "/fault", false, "Disconnect!", true},
    {"404", "/404", false, "Disconnect!", true},
    {"dropped", "/drop", false, "Disconnect!", true},
    {"cut mid-body", "/midbody", false, "Disconnect!", true},
    {"bad signal", "/badsignal/", true, "Data Error!", true},
};
constexpr auto kSlowTimeLimit = std::chrono::milliseconds(800);

const ReplyCase& caseFor(int poll, int polls)
{
    if (poll == polls - 1)
        return kGood;   // end on good records, so the files' content is known
    if (poll > 0 && poll % 200 == 0)
        return kSlow;
    return kCycle[poll % std::size(kCycle)];
}

int pollCount()
{
    const char* env = std::getenv("QUORVANE_SOAK_POLLS");
    const int polls = env ? std::atoi(env) : 0;
    return polls > 0 ? polls : 10000;
}

long residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

long openDescriptors()
{
    long count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

void settle()
{
    // What the message loop would do between two ticks, deferred deletes included.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

TEST(Soak, PollsThroughEveryKindOfReplyLeaveNothingBehind)
{
    const int polls = pollCount();
    const int warmUp = std::min(500, polls / 5);
    LoopbackService service;
    FormHarness harness;

    int poll = 0;   // poll 0 runs inside the window's creation
    auto urlForPoll = [&] {
        const ReplyCase& c = caseFor(poll, polls);
        return service.url(std::string(c.path) + (c.tagged ? std::to_string(poll) : std::string()));
    };
    TForm1 form(harness.services(urlForPoll, kSlowTimeLimit));
    // The test is the clock: the window's own 15 s timer would slip extra polls
    // in between, each against whatever case is current.
    QTimer* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    timer->stop();

    std::size_t expectedEntries = 0;
    std::map<std::string, int> wrongStatus;
    long residentAfterWarmUp = 0;
    long descriptorsAfterWarmUp = 0;
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        const ReplyCase& c = caseFor(poll, polls);
        const std::string status = FormHarness::status(form);
        if (status != c.status)
            ++wrongStatus[std::string(c.name) + " ended with " + status];
        expectedEntries += c.logged ? 1 : 0;
        settle();
        if (poll == warmUp) {
            residentAfterWarmUp = residentBytes();
            descriptorsAfterWarmUp = openDescriptors();
        }
        if (++poll == polls)
            break;
        form.Timer1Timer();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    settle();
    const long residentGrowth = residentBytes() - residentAfterWarmUp;
    const long descriptorGrowth = openDescriptors() - descriptorsAfterWarmUp;
    std::printf("soak: %d polls in %.1f s (%.2f ms per poll), resident growth after warm-up %ld KiB, "
                "descriptor growth %ld\n",
                polls, seconds, 1000.0 * seconds / polls, residentGrowth / 1024, descriptorGrowth);
    std::fflush(stdout);

    EXPECT_TRUE(wrongStatus.empty()) << [&] {
        std::string all;
        for (const auto& [what, count] : wrongStatus)
            all += what + " (" + std::to_string(count) + "x)\n";
        return all;
    }();
    EXPECT_TRUE(harness.reported.empty()) << "an error escaped a poll: " << harness.reported.front();
    // Fewer is fine: libraries open some descriptors lazily and let them go.
    EXPECT_LE(descriptorGrowth, 0) << "file descriptors leaked";
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's quarantine holds freed memory on purpose; resident size
    // says nothing about leaks there.
#else
    EXPECT_LT(residentGrowth, 4L * 1024 * 1024) << "resident memory grew over " << polls - warmUp << " polls";
#endif

    // One entry per failed poll, each ended by the stamp and one LF, none cut short.
    EXPECT_EQ(harness.logEntries(), expectedEntries);
    const std::string log = readFile(harness.errorLog);
    const std::string entryEnd = FormHarness::logEntryEnd();
    EXPECT_TRUE(log.size() >= entryEnd.size() && log.compare(log.size() - entryEnd.size(), entryEnd.size(), entryEnd) == 0)
        << "the log does not end with a whole entry";

    // The signal files hold exactly the records of the last (good) reply.
    const std::string lastReply = form.replyText();
    EXPECT_NE(lastReply.find("Price=1.0" + std::to_string(polls - 1) + ","), std::string::npos) << lastReply;
    const auto lastRecords = SplitReply(lastReply);
    ASSERT_EQ(lastRecords.size(), 3u);
    for (const std::string& record : lastRecords)
        EXPECT_EQ(readFile(harness.signalFolder + shortName(record)), record);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(harness.signalFolder))
        ++files;
    EXPECT_EQ(files, 3u) << "stray files (half-written or temporary) in experts/files";
}

} // namespace
} // namespace quorvane::test
