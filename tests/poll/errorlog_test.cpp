// SPDX-License-Identifier: MIT
// The error-log line: its format, the cap on quoted texts, the append.

#include "poll/errorlog.h"
#include "core/exceptions.h"
#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::test;

namespace {

const std::string kLimitA(kLogQuoteLimit, 'a');

} // namespace

TEST(ErrorLogLine, QuotesAtMost64KiBOfTheReplyAndSaysHowMuchIsLeftOut)
{
    const struct {
        const char* name;
        std::string reply, quoted;
    } rows[] = {
        {"short_reply_as_before", "(Symbol:EURUSD,Signal:x)", "(Symbol:EURUSD,Signal:x)"},
        {"empty_reply", "", ""},
        {"exactly_the_limit", kLimitA, kLimitA},
        {"one_byte_over", kLimitA + "z", kLimitA + "... [1 byte left out]"},
        {"whole_16_MiB_body", std::string(16 << 20, 'r'),
         std::string(kLogQuoteLimit, 'r') + "... [16711680 bytes left out]"},
        {"line_breaks_kept_as_they_are", "a\r\nb", "a\r\nb"},
        // A character that the limit would split goes whole into the left-out part.
        {"two_byte_character_across_the_cut", kLimitA.substr(1) + "\xC3\xA9z",
         kLimitA.substr(1) + "... [3 bytes left out]"},
        {"four_byte_character_across_the_cut", kLimitA.substr(2) + "\xF0\x9F\x98\x80",
         kLimitA.substr(2) + "... [4 bytes left out]"},
        {"character_ending_at_the_cut", kLimitA.substr(3) + "\xE2\x82\xAC" + "zz",
         kLimitA.substr(3) + "\xE2\x82\xAC... [2 bytes left out]"},
        {"stray_continuation_bytes_cut_at_the_limit", kLimitA + "\xA9\xA9",
         kLimitA + "... [2 bytes left out]"},
        {"latin1_text_cut_at_the_limit", kLimitA.substr(1) + "\xE9\xE9\xE9",
         kLimitA.substr(1) + "\xE9... [2 bytes left out]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(errorLogLine("Connection refused", row.reply, "08.12.2026 10:15:30"),
                  "Connection refused, " + row.quoted + ", 08.12.2026 10:15:30");
    }
}

TEST(ErrorLogLine, QuotesAtMost64KiBOfTheMessageToo)
{
    // "result element expected" quotes the response element, as large as the body.
    const std::string message = "SOAP Response Packet: result element expected, received \"" + kLimitA + "\"";
    EXPECT_EQ(errorLogLine(message, "r", "t"), message.substr(0, kLogQuoteLimit) + "... [58 bytes left out], r, t");
}

TEST(AppendLog, AddsOneLfTerminatedLineAfterTheLastByte)
{
    ScratchFolder dir;
    const std::string line = errorLogLine("m", std::string(1 << 20, 'x'), "t");
    AppendLog(dir.path() + "/", line, "error_log.txt");
    writeFile(dir / "other.txt", "no line end");
    AppendLog(dir.path() + "/", "next", "other.txt");
    AppendLog(dir.path() + "/", "", "other.txt");
    EXPECT_EQ(readFile(dir / "error_log.txt"), line + "\n");
    EXPECT_EQ(line.size(), kLogQuoteLimit + std::string("m, ... [983040 bytes left out], t").size());
    EXPECT_EQ(readFile(dir / "other.txt"), "no line endnext\n\n");
}

TEST(AppendLog, NoLogThereIsCannotCreateAndSomethingInItsPlaceIsCannotOpen)
{
    ScratchFolder dir;
    std::filesystem::create_directory(dir / "error_log.txt");
    const auto error = [](const std::string& folder) -> std::string {
        try {
            AppendLog(folder, "line", "error_log.txt");
        } catch (const Exception& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(error(dir.path() + "/missing/"), "Cannot create file " + dir.path() + "/missing/error_log.txt");
    EXPECT_EQ(error(dir.path() + "/"), "Cannot open file " + dir.path() + "/error_log.txt");
}
