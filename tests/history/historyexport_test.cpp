// SPDX-License-Identifier: MIT
// The CSV export: RFC 4180 with CRLF, oldest first and a poll in the reply's
// order, the fields as received (in UTF-8 as the window shows them), the
// short-name and date filters, and a read that neither waits for nor
// disturbs a writer.

#include "historytest.h"
#include "tests/support/scratchfolder.h"

#include "core/exceptions.h"
#include "history/historyexport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorvane::test {
namespace {

std::string exported(const std::string& file, std::optional<std::string> shortName = std::nullopt,
                     std::optional<std::int64_t> since = std::nullopt)
{
    std::ostringstream out;
    exportHistoryCsv(file, std::move(shortName), since, out);
    return out.str();
}

constexpr const char* kHeader = "received_utc,symbol,price,market_time,signal\r\n";

class HistoryExport : public ::testing::Test {
protected:
    ScratchFolder dir;
    std::string file = dir / "history.sqlite";
    TestClock clock;
    std::vector<std::string> messages;
    HistoryStore store{optionsFor(file, clock, messages)};
};

TEST_F(HistoryExport, WritesTheRecordsOldestFirstFilteredByShortNameAndDate)
{
    // Stored out of order: the export sorts by receipt, then reply order.
    store.recordPoll(kNoon + kDayMs, {demoRecord("GBPUSD", "1.3", "-0.1"), demoRecord("EURUSDm", "1.2", "0.2")});
    store.recordPoll(kNoon, {demoRecord("EURUSD", "1.1", "0.10"), demoRecord("GBPUSD", "1.2", "abc")});
    const std::string day1 = "2026-12-08T14:30:15Z,";
    const std::string day2 = "2026-12-09T14:30:15Z,";
    const struct Row {
        const char* name;
        std::optional<std::string> shortName;
        std::optional<std::int64_t> since;
        std::string csv;
    } rows[] = {
        {"Everything", std::nullopt, std::nullopt,
         day1 + "EURUSD,1.1,2026.12.08 14:30,0.10\r\n" + day1 + "GBPUSD,1.2,2026.12.08 14:30,abc\r\n" + day2
             + "GBPUSD,1.3,2026.12.08 14:30,-0.1\r\n" + day2 + "EURUSDm,1.2,2026.12.08 14:30,0.2\r\n"},
        {"ShortNameMatchesTheFirstSixCharacters", "EURUSD", std::nullopt,
         day1 + "EURUSD,1.1,2026.12.08 14:30,0.10\r\n" + day2 + "EURUSDm,1.2,2026.12.08 14:30,0.2\r\n"},
        {"ShortNameIsNotAPrefixSearch", "EUR", std::nullopt, ""},
        {"SinceTheSecondDay", std::nullopt, parseSinceDate("2026-12-09"),
         day2 + "GBPUSD,1.3,2026.12.08 14:30,-0.1\r\n" + day2 + "EURUSDm,1.2,2026.12.08 14:30,0.2\r\n"},
        {"SinceADayWithin", std::nullopt, parseSinceDate("2026-12-08"),
         day1 + "EURUSD,1.1,2026.12.08 14:30,0.10\r\n" + day1 + "GBPUSD,1.2,2026.12.08 14:30,abc\r\n" + day2
             + "GBPUSD,1.3,2026.12.08 14:30,-0.1\r\n" + day2 + "EURUSDm,1.2,2026.12.08 14:30,0.2\r\n"},
        {"SymbolAndSince", "GBPUSD", parseSinceDate("2026-12-09"), day2 + "GBPUSD,1.3,2026.12.08 14:30,-0.1\r\n"},
        {"SinceAfterEverything", std::nullopt, parseSinceDate("2026-12-10"), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(exported(file, row.shortName, row.since), kHeader + row.csv);
    }
}

TEST_F(HistoryExport, QuotesWhereNeededAndShowsEightBitBytesInUtf8)
{
    const struct Row {
        const char* name;
        std::string price; // the field under test, sent as the Price
        std::string csv;
    } rows[] = {
        {"Plain", "1.08423", "1.08423"},
        {"Empty", "", ""},
        {"DoubleQuote", "1\"5", "\"1\"\"5\""},
        {"LineFeed", "1\n5", "\"1\n5\""},
        {"CarriageReturnLineFeed", "1\r\n5", "\"1\r\n5\""},
        {"Blanks", " 1 ", " 1 "},
        {"Latin1", "1\xe9", "1\xc3\xa9"},
        {"Utf8StaysAsItIs", "1\xc3\xa9", "1\xc3\xa9"},
        {"BrokenUtf8IsReadAsLatin1Whole", "\xc3\xa9\xff", "\xc3\x83\xc2\xa9\xc3\xbf"},
        {"OverlongFormIsNoUtf8", "\xc0\xaf", "\xc3\x80\xc2\xaf"},
        {"SurrogateIsNoUtf8", "\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},
        {"FourByteUtf8", "\xf0\x9f\x93\x88", "\xf0\x9f\x93\x88"},
        {"QuoteInLatin1", "\"\xe9", "\"\"\"\xc3\xa9\""},
        // A spreadsheet runs a cell that starts so as a formula: the service's
        // text must stay text. Numbers keep their sign.
        {"FormulaIsText", "=1+2", "'=1+2"},
        {"FormulaWithQuotesIsTextAndQuoted", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"AtIsText", "@SUM(A1)", "'@SUM(A1)"},
        {"PlusTextIsText", "+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"MinusTextIsText", "-2+3", "'-2+3"},
        {"TabFirstIsText", "\t=1", "'\t=1"},
        {"CarriageReturnFirstIsText", "\r=1", "\"'\r=1\""},
        {"NegativeNumberStays", "-0.5", "-0.5"},
        {"PlusNumberStays", "+1.5e-3", "+1.5e-3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(csvField(row.price), row.csv);
    }
    // The same through the file, all in one poll, in order.
    std::vector<std::string> records;
    std::string csv = kHeader;
    for (const Row& row : rows) {
        records.push_back(demoRecord("EURUSD", row.price, "0.5"));
        csv += "2026-12-08T14:30:15Z,EURUSD," + row.csv + ",2026.12.08 14:30,0.5\r\n";
    }
    ASSERT_TRUE(store.recordPoll(kNoon, records));
    EXPECT_EQ(exported(file), csv);
}

TEST_F(HistoryExport, AMissingFileIsAnEmptyHistoryAndADamagedOneAnError)
{
    EXPECT_EQ(exported(dir / "none.sqlite"), kHeader);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.sqlite")) << "reading creates nothing";
    writeFile(dir / "broken.sqlite", std::string(5000, 'x'));
    try {
        exported(dir / "broken.sqlite");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot read the history file " + dir / "broken.sqlite" + ": file is not a database");
    }
    EXPECT_EQ(readFile(dir / "broken.sqlite"), std::string(5000, 'x'));
}

TEST_F(HistoryExport, ReadsWhileAWriterHoldsItsLockAndChangesNothing)
{
    ASSERT_TRUE(store.recordPoll(kNoon, {demoRecord("EURUSD", "1.1", "0.1")}));
    RawConnection writer(file);
    ASSERT_EQ(writer.exec("BEGIN IMMEDIATE; DELETE FROM records"), SQLITE_OK);
    const auto before = listTree(dir.path());
    const std::string bytes = readFile(file);
    EXPECT_EQ(exported(file), std::string(kHeader) + "2026-12-08T14:30:15Z,EURUSD,1.1,2026.12.08 14:30,0.1\r\n")
        << "the last committed state, at once";
    EXPECT_EQ(listTree(dir.path()), before);
    EXPECT_EQ(readFile(file), bytes);
    ASSERT_EQ(writer.exec("COMMIT"), SQLITE_OK);
    EXPECT_EQ(exported(file), kHeader);
}

TEST(HistoryExportTexts, FormatsTheReceiptInUtcSeconds)
{
    const struct Row {
        const char* name;
        std::int64_t ms;
        const char* text;
    } rows[] = {
        {"Epoch", 0, "1970-01-01T00:00:00Z"},
        {"Noon", kNoon, "2026-12-08T14:30:15Z"},
        {"MillisecondsAreCut", kNoon + 999, "2026-12-08T14:30:15Z"},
        {"LeapDay", 1709164800000, "2024-02-29T00:00:00Z"},
        {"BeforeTheEpoch", -1, "1969-12-31T23:59:59Z"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(utcTimestamp(row.ms), row.text);
    }
}

TEST(HistoryExportTexts, ReadsTheSinceDateOrSaysWhatIsWrong)
{
    const struct Row {
        const char* name;
        const char* text;
        std::int64_t ms; // -1: refused
    } rows[] = {
        {"Day", "2026-12-08", kNoon - (14 * 3600 + 30 * 60 + 15) * 1000LL},
        {"Epoch", "1970-01-01", 0},
        {"LeapDay", "2024-02-29", 1709164800000},
        {"NoLeapDay", "2026-02-29", -1},
        {"MonthZero", "2026-00-10", -1},
        {"MonthThirteen", "2026-13-01", -1},
        {"DayThirtyOneOfApril", "2026-04-31", -1},
        {"DayZero", "2026-04-00", -1},
        {"OneDigitMonth", "2026-1-08", -1},
        {"Slashes", "2026/12/08", -1},
        {"TrailingText", "2026-12-08x", -1},
        {"WithTime", "2026-12-08T10:00", -1},
        {"Empty", "", -1},
        {"Sign", "+026-12-08", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.ms >= 0) {
            EXPECT_EQ(parseSinceDate(row.text), row.ms);
            continue;
        }
        try {
            parseSinceDate(row.text);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("--since wants a date as YYYY-MM-DD, such as 2026-12-08, not \"") + row.text + "\"");
        }
    }
}

} // namespace
} // namespace quorvane::test
