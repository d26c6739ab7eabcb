// SPDX-License-Identifier: MIT
// Calendar grid: date arithmetic over the whole range, the month layout per
// StartOfWeek, stepping with its notifications, the date-encode error, clicks.
#include "samples/ccalendr/calendarmath.h"
#include "samples/ccalendr/ccalendar.h"

#include "tests/support/qtapp.h"

#include <QDate>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::calendar;

TEST(CalendarMath, LeapYearsAndMonthLengths)
{
    struct Row { int year; bool leap; };
    for (const Row& r : {Row{1900, false}, Row{2000, true}, Row{2004, true}, Row{2100, false},
                         Row{2009, false}, Row{1, false}, Row{4, true}, Row{400, true}}) {
        EXPECT_EQ(IsLeapYear(r.year), r.leap) << r.year;
        EXPECT_EQ(DaysPerMonth(r.year, 2), r.leap ? 29 : 28) << r.year;
    }
    const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(DaysPerMonth(2009, month), days[month - 1]) << month;
}

TEST(CalendarMath, EveryDateOfTheRangeRoundTripsAndWeekdaysAgreeWithQDate)
{
    EXPECT_EQ(encodeDate(1899, 12, 30), 0);
    EXPECT_EQ(encodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(minSerial(), -693593);
    EXPECT_EQ(maxSerial(), 2958465);
    int serial = minSerial();
    for (int year = kMinYear; year <= kMaxYear; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= DaysPerMonth(year, month); ++day, ++serial) {
                ASSERT_EQ(encodeDate(year, month, day), serial) << year << '-' << month << '-' << day;
                ASSERT_EQ(decodeDate(serial), (Ymd{year, month, day}));
                // QDate counts 1 Monday .. 7 Sunday; ours 1 Sunday .. 7 Saturday.
                ASSERT_TRUE(year < 1800 || year > 2200
                            || dayOfWeek(serial) == QDate(year, month, day).dayOfWeek() % 7 + 1) << serial;
            }
    EXPECT_EQ(serial - 1, maxSerial());
}

TEST(CalendarMath, DaysThatDoNotExistFailToEncode)
{
    struct Row { int year, month, day; };
    for (const Row& r : {Row{2009, 2, 29}, Row{2008, 2, 30}, Row{2009, 4, 31}, Row{2009, 13, 1},
                         Row{2009, 1, 0}, Row{0, 1, 1}, Row{10000, 1, 1}}) {
        SCOPED_TRACE(testing::Message() << r.year << '-' << r.month << '-' << r.day);
        EXPECT_THROW(encodeDate(r.year, r.month, r.day), EDateEncodeError);
    }
    EXPECT_STREQ(EDateEncodeError().what(), "Invalid argument to date encode");
}

TEST(CalendarMath, DayOneAlwaysFallsInTheFirstRowInItsWeekdayColumn)
{
    for (int first = 1; first <= 7; ++first)
        for (int start = 1; start <= 7; ++start) {
            SCOPED_TRACE(testing::Message() << "first " << first << " start " << start);
            const int offset = monthOffset(first, start);
            EXPECT_TRUE(offset <= 1 && offset >= -5);
            EXPECT_EQ(dayRow(1, offset), 1);
            EXPECT_EQ(columnWeekday(start, dayColumn(1, offset)), first - 1);
        }
}

namespace {

class CalendarTest : public testing::Test {
protected:
    void SetUp() override
    {
        calendar.setLocale(QLocale::c());
        calendar.resize(7 * 30 + 6, 7 * 20 + 6);
        calendar.show();
    }
    void setDate(int y, int m, int d) { calendar.SeTCCalendarDate(encodeDate(y, m, d)); }
    double date() const { return calendar.CalendarDate(); }
    void click(int column, int row)
    {
        QTest::mouseClick(&calendar, Qt::LeftButton, Qt::NoModifier, QPoint(column * 31 + 15, row * 21 + 10));
    }

    TCCalendar calendar{nullptr, [] { return QDate(2026, 12, 8); }};
};

} // namespace

TEST_F(CalendarTest, StartsOnTodayAndPlacesDayOneInItsWeekdayColumnForEachStartOfWeek)
{
    EXPECT_EQ(date(), encodeDate(2026, 12, 8));
    EXPECT_TRUE(calendar.UseCurrentDate());
    EXPECT_EQ(calendar.StartOfWeek(), 1);
    EXPECT_EQ(calendar.GetCellText(6, 0), QStringLiteral("Sun"));
    // 1 January 2024 is a Monday.
    const int columnOfMonday[8] = {0, 0, 6, 5, 4, 3, 2, 1};
    for (int start = 1; start <= 7; ++start) {
        SCOPED_TRACE(start);
        calendar.SetStartOfWeek(start);
        setDate(2024, 1, 1);
        const int column = columnOfMonday[start];
        EXPECT_EQ(calendar.Col(), column);
        EXPECT_EQ(calendar.Row(), 1);
        EXPECT_EQ(calendar.MonthOffset(), 1 - column);
        EXPECT_EQ(calendar.GetCellText(column, 1), QStringLiteral("1"));
        EXPECT_EQ(calendar.GetCellText(column, 0), QStringLiteral("Mon"));
    }
    calendar.SetStartOfWeek(9);
    EXPECT_EQ(calendar.StartOfWeek(), 1);
    calendar.SetStartOfWeek(0);
    EXPECT_EQ(calendar.StartOfWeek(), 1);
}

TEST_F(CalendarTest, MonthStartingInColumn6ReachesRow6)
{
    setDate(2026, 3, 31); // 1 March 2026 is a Sunday
    EXPECT_EQ(calendar.MonthOffset(), -5);
    EXPECT_EQ(calendar.GetCellText(5, 1), QString());
    EXPECT_EQ(calendar.GetCellText(6, 1), QStringLiteral("1"));
    EXPECT_EQ(calendar.GetCellText(1, 6), QStringLiteral("31"));
    EXPECT_EQ(calendar.GetCellText(2, 6), QString());
    EXPECT_EQ(calendar.Col(), 1);
    EXPECT_EQ(calendar.Row(), 6);
}

TEST_F(CalendarTest, SteppingClampsTheDayAndNotifies)
{
    struct Row { const char* name; Ymd from; void (TCCalendar::*step)(); Ymd to; int changes; };
    const Row rows[] = {
        {"31 January 2008 to February", {2008, 1, 31}, &TCCalendar::NextMonth, {2008, 2, 29}, 1},
        {"31 January 2009 to February", {2009, 1, 31}, &TCCalendar::NextMonth, {2009, 2, 28}, 1},
        {"31 March back", {2008, 3, 31}, &TCCalendar::PrevMonth, {2008, 2, 29}, 1},
        {"29 February 2008 NextYear", {2008, 2, 29}, &TCCalendar::NextYear, {2009, 2, 28}, 2},
        {"year 1 PrevYear is ignored", {1, 5, 5}, &TCCalendar::PrevYear, {1, 5, 5}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        setDate(r.from.year, r.from.month, r.from.day);
        QSignalSpy changes(&calendar, &TCCalendar::OnChange);
        (calendar.*r.step)();
        EXPECT_EQ(date(), encodeDate(r.to.year, r.to.month, r.to.day));
        EXPECT_EQ(changes.count(), r.changes);
    }
    EXPECT_FALSE(calendar.UseCurrentDate());
    setDate(9999, 12, 1);
    EXPECT_THROW(calendar.NextMonth(), EDateEncodeError);
    setDate(1, 1, 1);
    EXPECT_THROW(calendar.PrevMonth(), EDateEncodeError);
}

TEST_F(CalendarTest, DateElementsRefuseDaysThatDoNotExistAndIgnoreNonsense)
{
    setDate(2008, 1, 31);
    EXPECT_THROW(calendar.SetMonth(2), EDateEncodeError);
    setDate(2008, 2, 29);
    QSignalSpy changes(&calendar, &TCCalendar::OnChange);
    EXPECT_THROW(calendar.SetYear(2009), EDateEncodeError);
    calendar.SetMonth(13);
    calendar.SetYear(0);
    calendar.SetDateElement(4, 3);
    calendar.SetDay(29);
    EXPECT_EQ(date(), encodeDate(2008, 2, 29));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(calendar.GetDateElement(0), -1);
    // Regression: date-time numbers outside years 1 to 9999 laid out an impossible month.
    EXPECT_THROW(calendar.SeTCCalendarDate(maxSerial() + 1.0), EDateEncodeError);
    EXPECT_THROW(calendar.SeTCCalendarDate(minSerial() - 1.0), EDateEncodeError);
    calendar.SeTCCalendarDate(encodeDate(2020, 5, 5) + 0.75);
    EXPECT_EQ(calendar.Day(), 5);
    calendar.SetDay(20); // an edit stops following today
    EXPECT_TRUE(calendar.StoreCalendarDate());
    calendar.SetUseCurrentDate(true); // back to today without a notification
    EXPECT_EQ(date(), encodeDate(2026, 12, 8));
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(CalendarTest, ClicksAndKeysSelectOnlyFilledCellsUnlessReadOnly)
{
    setDate(2024, 1, 1); // Monday in column 0
    QSignalSpy changes(&calendar, &TCCalendar::OnChange);
    click(2, 3);
    EXPECT_EQ(calendar.Day(), 17);
    EXPECT_EQ(changes.count(), 1);
    QTest::keyClick(&calendar, Qt::Key_Right);
    QTest::keyClick(&calendar, Qt::Key_Down);
    EXPECT_EQ(calendar.Day(), 25);
    setDate(2024, 1, 31); // the last cell: nothing right of it
    QTest::keyClick(&calendar, Qt::Key_Right);
    click(5, 5);
    click(3, 0); // header row
    EXPECT_EQ(calendar.Day(), 31);

    setDate(2024, 1, 10);
    calendar.SetReadOnly(true);
    click(2, 3);
    QTest::keyClick(&calendar, Qt::Key_Right);
    EXPECT_EQ(calendar.Day(), 10);
    EXPECT_FALSE(calendar.SelectCell(2, 3));
    calendar.SetDay(17); // code still may
    EXPECT_EQ(calendar.Col(), 2);
    EXPECT_EQ(calendar.Row(), 3);
}

TEST_F(CalendarTest, DateAsQDateFollowsTheDaySerialAndKeepsUseCurrentDate)
{
    QSignalSpy changes(&calendar, &TCCalendar::OnChange);
    EXPECT_EQ(calendar.GetDate(), QDate(2026, 12, 8));
    calendar.SetDate(QDate(2008, 2, 29));
    EXPECT_EQ(calendar.GetDate(), QDate(2008, 2, 29));
    EXPECT_EQ(calendar.CalendarDate(), 39507.0); // the same day as a serial
    EXPECT_TRUE(calendar.UseCurrentDate());
    calendar.SetDate(QDate(2008, 2, 29)); // unchanged: no notification
    calendar.SetDate(QDate());            // invalid: ignored
    EXPECT_EQ(changes.count(), 1);
    EXPECT_THROW(calendar.SetDate(QDate(10000, 1, 1)), calendar::EDateEncodeError);
    EXPECT_EQ(calendar.GetDate(), QDate(2008, 2, 29));
}
