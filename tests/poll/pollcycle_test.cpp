// SPDX-License-Identifier: MIT
// The poll cycle driven by the shared table of reply scenarios, without a front
// end; and what only the cycle itself can show: the reply kept across a failed
// call, the status heard before a log that cannot be written.

#include "poll/pollcycle.h"

#include "core/exceptions.h"
#include "tests/support/pollscenarios.h"
#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace quorvane;
using namespace quorvane::test;

namespace {

struct Cycle {
    ScratchFolder dir;
    std::string reply;
    PollCycle cycle{[this] { return std::make_shared<ScriptedService>(reply); }, dir.path() + "/",
                    [] { return std::string("08.12.2026 10:15:30"); }};
    std::string signalFolder() const { return dir / "mt4/experts/files"; }
    std::string errorLog() const
    {
        return std::filesystem::exists(dir / "error_log.txt") ? readFile(dir / "error_log.txt") : "";
    }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        if (std::filesystem::is_directory(signalFolder()))
            for (const auto& entry : std::filesystem::directory_iterator(signalFolder()))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    if (const std::size_t at = text.find(from); at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(PollCycle, ReplyScenarios)
{
    for (const PollScenario& row : pollScenarios()) {
        SCOPED_TRACE(row.name);
        Cycle c;
        std::filesystem::create_directories(row.signalFolderMissing ? c.dir / "mt4/experts" : c.signalFolder());
        c.cycle.setTargets({legacyTarget(c.dir / "mt4")});
        c.reply = row.reply;
        std::size_t recorded = 0;
        c.cycle.setRecorder([&recorded](const std::vector<std::string>& records) { recorded += records.size(); });
        std::vector<PollStatus> heard;
        const PollOutcome outcome = c.cycle.Poll([&heard](PollStatus s) { heard.push_back(s); });
        EXPECT_EQ(statusText(outcome.status), std::string(row.status));
        EXPECT_EQ(heard, std::vector<PollStatus>{outcome.status});
        EXPECT_EQ(outcome.succeeded(), outcome.status == PollStatus::Connected);
        EXPECT_EQ(c.files(), row.files);
        const std::string line = row.logLine.empty()
            ? ""
            : replaced(row.logLine, "{files}", c.signalFolder() + "/") + ", 08.12.2026 10:15:30\n";
        EXPECT_EQ(c.errorLog(), line);
        EXPECT_EQ(outcome.failure.empty(), line.empty());
        EXPECT_EQ(outcome.records.empty(), row.files.empty() && !row.signalFolderMissing);
        EXPECT_EQ(recorded, row.recorded);
    }
}

TEST(PollCycle, FailedCallKeepsThePreviousReplyForTheLogAndTheFrontEndsLine)
{
    Cycle c;
    c.reply = "(Symbol:EURUSD,Signal:1)";
    EXPECT_TRUE(c.cycle.Poll().succeeded());
    c.reply = "!timeout";
    const PollOutcome failed = c.cycle.Poll();
    EXPECT_EQ(failed.status, PollStatus::Disconnect);
    EXPECT_TRUE(failed.records.empty());
    EXPECT_EQ(c.cycle.replyText(), "(Symbol:EURUSD,Signal:1)");
    c.cycle.logFailure("shown badly");
    EXPECT_EQ(c.errorLog(), "timeout, (Symbol:EURUSD,Signal:1), 08.12.2026 10:15:30\n"
                            "shown badly, (Symbol:EURUSD,Signal:1), 08.12.2026 10:15:30\n");
}

TEST(PollCycle, StatusIsHeardBeforeALogThatCannotBeWrittenEscapes)
{
    Cycle c;
    std::filesystem::create_directory(c.dir / "error_log.txt");
    c.reply = "!down";
    std::vector<PollStatus> heard;
    EXPECT_THROW(c.cycle.Poll([&heard](PollStatus s) { heard.push_back(s); }), EFOpenError);
    EXPECT_EQ(heard, std::vector<PollStatus>{PollStatus::Disconnect});
}
