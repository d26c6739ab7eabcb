// Date arithmetic of the calendar: leap years, month lengths, day serials,
// weekdays and the month grid.
#include "calendarmath.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace quorvane::calendar;

namespace {

struct LeapCase {
    const char* name;
    int year;
    bool leap;
};

const LeapCase kLeapCases[] = {
    {"Year1900", 1900, false}, {"Year2000", 2000, true}, {"Year2004", 2004, true},
    {"Year2100", 2100, false}, {"Year2008", 2008, true}, {"Year2009", 2009, false},
    {"Year1", 1, false},       {"Year4", 4, true},       {"Year400", 400, true},
};

class LeapYearTest : public testing::TestWithParam<LeapCase> {};

TEST_P(LeapYearTest, GregorianRule)
{
    EXPECT_EQ(IsLeapYear(GetParam().year), GetParam().leap);
    EXPECT_EQ(DaysPerMonth(GetParam().year, 2), GetParam().leap ? 29 : 28);
}

INSTANTIATE_TEST_SUITE_P(Years, LeapYearTest, testing::ValuesIn(kLeapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DaysPerMonth, TableOfAYear)
{
    const int expected[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(DaysPerMonth(2009, month), expected[month - 1]) << "month " << month;
}

struct SerialCase {
    const char* name;
    int year, month, day;
    int serial;
    int weekday; // 1 Sunday .. 7 Saturday
};

const SerialCase kSerialCases[] = {
    {"Epoch", 1899, 12, 30, 0, 7},
    {"FirstOf1900", 1900, 1, 1, 2, 2},
    {"FirstOf2000", 2000, 1, 1, 36526, 7},
    {"FirstDate", 1, 1, 1, -693593, 2},
    {"LastDate", 9999, 12, 31, 2958465, 6},
    {"LeapDay2008", 2008, 2, 29, 39507, 6},
};

class SerialTest : public testing::TestWithParam<SerialCase> {};

TEST_P(SerialTest, EncodesDecodesAndNamesTheWeekday)
{
    const SerialCase& c = GetParam();
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.serial);
    EXPECT_EQ(DecodeDate(c.serial), (Ymd{c.year, c.month, c.day}));
    EXPECT_EQ(DayOfWeek(c.serial), c.weekday);
}

INSTANTIATE_TEST_SUITE_P(Dates, SerialTest, testing::ValuesIn(kSerialCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Serial, EveryDateOfTheRangeRoundTrips)
{
    int expected = minSerial();
    for (int year = kMinYear; year <= kMaxYear; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= DaysPerMonth(year, month); ++day) {
                ASSERT_EQ(EncodeDate(year, month, day), expected) << year << '-' << month << '-' << day;
                ASSERT_EQ(DecodeDate(expected), (Ymd{year, month, day}));
                ++expected;
            }
    EXPECT_EQ(expected - 1, maxSerial());
}

TEST(Serial, WeekdaysAgreeWithQDateOverFourCenturies)
{
    for (int serial = EncodeDate(1800, 1, 1); serial <= EncodeDate(2200, 1, 1); ++serial) {
        const Ymd d = DecodeDate(serial);
        const int qtWeekday = QDate(d.year, d.month, d.day).dayOfWeek(); // 1 Monday .. 7 Sunday
        ASSERT_EQ(DayOfWeek(serial), qtWeekday % 7 + 1) << serial;
    }
}

struct BadDate {
    const char* name;
    int year, month, day;
};

const BadDate kBadDates[] = {
    {"Feb29NonLeap", 2009, 2, 29}, {"Feb30", 2008, 2, 30}, {"Apr31", 2009, 4, 31},
    {"Month13", 2009, 13, 1},      {"Day0", 2009, 1, 0},   {"Year0", 0, 1, 1},
    {"Year10000", 10000, 1, 1},
};

class BadDateTest : public testing::TestWithParam<BadDate> {};

TEST_P(BadDateTest, EncodeFailsWithTheDateMessage)
{
    const BadDate& c = GetParam();
    try {
        EncodeDate(c.year, c.month, c.day);
        FAIL() << "no error";
    } catch (const EDateEncodeError& error) {
        EXPECT_STREQ(error.what(), "Invalid argument to date encode");
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, BadDateTest, testing::ValuesIn(kBadDates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MonthOffset, DayOneAlwaysFallsInTheFirstRowInItsWeekdayColumn)
{
    for (int first = 1; first <= 7; ++first)
        for (int start = 1; start <= 7; ++start) {
            SCOPED_TRACE(testing::Message() << "first " << first << " start " << start);
            const int offset = monthOffset(first, start);
            EXPECT_LE(offset, 1);
            EXPECT_GE(offset, -5);
            EXPECT_EQ(dayRow(1, offset), 1);
            // The column's weekday (0 Sunday) is the first day's weekday (1 Sunday).
            EXPECT_EQ(columnWeekday(start, dayColumn(1, offset)), first - 1);
        }
}

TEST(ChangeMonth, ClampsTheDayAndCrossesYears)
{
    EXPECT_EQ(changeMonth(Ymd{2008, 1, 31}, 1), (Ymd{2008, 2, 29}));
    EXPECT_EQ(changeMonth(Ymd{2009, 1, 31}, 1), (Ymd{2009, 2, 28}));
    EXPECT_EQ(changeMonth(Ymd{2008, 3, 31}, -1), (Ymd{2008, 2, 29}));
    EXPECT_EQ(changeMonth(Ymd{2009, 3, 30}, -1), (Ymd{2009, 2, 28}));
    EXPECT_EQ(changeMonth(Ymd{2008, 12, 15}, 1), (Ymd{2009, 1, 15}));
    EXPECT_EQ(changeMonth(Ymd{2009, 1, 15}, -1), (Ymd{2008, 12, 15}));
    EXPECT_THROW(changeMonth(Ymd{9999, 12, 1}, 1), EDateEncodeError);
    EXPECT_THROW(changeMonth(Ymd{1, 1, 1}, -1), EDateEncodeError);
}

} // namespace
