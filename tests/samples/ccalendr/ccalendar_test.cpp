// The calendar widget: layout per StartOfWeek, cell texts, stepping with its
// notifications, the date-encode error, read-only and clicks.
#include "ccalendar.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace quorvane;
using quorvane::calendar::EncodeDate;

namespace {

// The application lives from before the first test to after the last one and
// goes before the process's static objects do.
class QtApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "quorvane_ccalendr_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

void ensureApplication()
{
    ASSERT_NE(QApplication::instance(), nullptr);
}

QDate fixedToday()
{
    return QDate(2026, 12, 8);
}

class CalendarTest : public testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        calendar = std::make_unique<TCCalendar>(nullptr, &fixedToday);
        calendar->setLocale(QLocale::c());
        calendar->resize(7 * 30 + 6, 7 * 20 + 6);
    }
    void setDate(int y, int m, int d) { calendar->SeTCCalendarDate(EncodeDate(y, m, d)); }
    QPoint centreOf(int column, int row) const
    {
        return QPoint(column * 31 + 15, row * 21 + 10);
    }

    std::unique_ptr<TCCalendar> calendar;
};

TEST_F(CalendarTest, StartsOnTodayWithMondayFirst)
{
    EXPECT_EQ(calendar->Year(), 2026);
    EXPECT_EQ(calendar->Month(), 12);
    EXPECT_EQ(calendar->Day(), 8);
    EXPECT_TRUE(calendar->UseCurrentDate());
    EXPECT_EQ(calendar->StartOfWeek(), 1);
    EXPECT_EQ(calendar->GetCellText(0, 0), QStringLiteral("Mon"));
    EXPECT_EQ(calendar->GetCellText(6, 0), QStringLiteral("Sun"));
}

struct OffsetCase {
    const char* name;
    int startOfWeek;
    int column; // of 1 January 2024, a Monday
};

const OffsetCase kOffsetCases[] = {
    {"Monday", 1, 0},   {"Tuesday", 2, 6}, {"Wednesday", 3, 5}, {"Thursday", 4, 4},
    {"Friday", 5, 3},   {"Saturday", 6, 2}, {"Sunday", 7, 1},
};

class MonthOffsetTest : public CalendarTest, public testing::WithParamInterface<OffsetCase> {};

TEST_P(MonthOffsetTest, DayOneSitsInItsWeekdayColumn)
{
    calendar->SetStartOfWeek(GetParam().startOfWeek);
    setDate(2024, 1, 1);
    EXPECT_EQ(calendar->Row(), 1);
    EXPECT_EQ(calendar->Col(), GetParam().column);
    EXPECT_EQ(calendar->MonthOffset(), 1 - GetParam().column);
    EXPECT_EQ(calendar->GetCellText(GetParam().column, 1), QStringLiteral("1"));
    EXPECT_EQ(calendar->GetCellText(GetParam().column, 0), QStringLiteral("Mon"));
}

INSTANTIATE_TEST_SUITE_P(StartOfWeek, MonthOffsetTest, testing::ValuesIn(kOffsetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CalendarTest, MonthStartingInColumn6ReachesRow6)
{
    setDate(2026, 3, 31); // 1 March 2026 is a Sunday
    EXPECT_EQ(calendar->MonthOffset(), -5);
    EXPECT_EQ(calendar->GetCellText(6, 1), QStringLiteral("1"));
    EXPECT_EQ(calendar->GetCellText(5, 1), QString());
    EXPECT_EQ(calendar->GetCellText(1, 6), QStringLiteral("31"));
    EXPECT_EQ(calendar->GetCellText(2, 6), QString());
    EXPECT_EQ(calendar->Col(), 1);
    EXPECT_EQ(calendar->Row(), 6);
}

TEST_F(CalendarTest, StartOfWeekOutsideOneToSevenBecomesOne)
{
    calendar->SetStartOfWeek(7);
    calendar->SetStartOfWeek(9);
    EXPECT_EQ(calendar->StartOfWeek(), 1);
    calendar->SetStartOfWeek(0);
    EXPECT_EQ(calendar->StartOfWeek(), 1);
}

TEST_F(CalendarTest, NextMonthClampsTheDay)
{
    setDate(2008, 1, 31);
    calendar->NextMonth();
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2008, 2, 29));
    setDate(2009, 1, 31);
    calendar->NextMonth();
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2009, 2, 28));
}

TEST_F(CalendarTest, PrevMonthClampsTheDay)
{
    setDate(2008, 3, 31);
    calendar->PrevMonth();
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2008, 2, 29));
    setDate(2009, 3, 31);
    calendar->PrevMonth();
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2009, 2, 28));
}

TEST_F(CalendarTest, NextYearFromLeapDayNotifiesTwice)
{
    setDate(2008, 2, 29);
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->NextYear();
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2009, 2, 28));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_FALSE(calendar->UseCurrentDate());
}

TEST_F(CalendarTest, PrevYearAtYearOneIsIgnored)
{
    setDate(1, 5, 5);
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->PrevYear();
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(1, 5, 5));
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(CalendarTest, DayThatDoesNotExistFailsAndKeepsTheDate)
{
    setDate(2008, 1, 31);
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    try {
        calendar->SetMonth(2);
        FAIL() << "no error";
    } catch (const calendar::EDateEncodeError& error) {
        EXPECT_STREQ(error.what(), "Invalid argument to date encode");
    }
    setDate(2008, 2, 29);
    EXPECT_THROW(calendar->SetYear(2009), calendar::EDateEncodeError);
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2008, 2, 29));
    EXPECT_EQ(changes.count(), 1); // only the setDate in between
}

TEST_F(CalendarTest, OutOfRangeElementsAreIgnoredSilently)
{
    setDate(2008, 4, 10);
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->SetMonth(13);
    calendar->SetDay(31);
    calendar->SetYear(0);
    calendar->SetDateElement(4, 3);
    calendar->SetDay(10);
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2008, 4, 10));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(calendar->GetDateElement(0), -1);
}

TEST_F(CalendarTest, UseCurrentDateTracksEditsAndRestoresToday)
{
    calendar->SetDay(20);
    EXPECT_FALSE(calendar->UseCurrentDate());
    EXPECT_TRUE(calendar->StoreCalendarDate());
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->SetUseCurrentDate(true);
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(2026, 12, 8));
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(CalendarTest, ClickingADaySetsIt)
{
    setDate(2024, 1, 1); // Monday in column 0
    calendar->show();
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    QTest::mouseClick(calendar.get(), Qt::LeftButton, Qt::NoModifier, centreOf(2, 3));
    EXPECT_EQ(calendar->Day(), 17);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(calendar->Col(), 2);
    EXPECT_EQ(calendar->Row(), 3);
}

TEST_F(CalendarTest, ClickingAnEmptyCellChangesNothing)
{
    setDate(2026, 3, 10); // day 1 in column 6
    calendar->show();
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    QTest::mouseClick(calendar.get(), Qt::LeftButton, Qt::NoModifier, centreOf(0, 1));
    QTest::mouseClick(calendar.get(), Qt::LeftButton, Qt::NoModifier, centreOf(3, 0));
    EXPECT_EQ(calendar->Day(), 10);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(CalendarTest, ReadOnlyRefusesTheUserButNotCode)
{
    setDate(2024, 1, 10);
    calendar->SetReadOnly(true);
    calendar->show();
    QTest::mouseClick(calendar.get(), Qt::LeftButton, Qt::NoModifier, centreOf(2, 3));
    QTest::keyClick(calendar.get(), Qt::Key_Right);
    EXPECT_EQ(calendar->Day(), 10);
    EXPECT_FALSE(calendar->SelectCell(2, 3));
    calendar->SetDay(17);
    EXPECT_EQ(calendar->Col(), 2);
    EXPECT_EQ(calendar->Row(), 3);
}

TEST_F(CalendarTest, ArrowKeysMoveTheDayButNotIntoEmptyCells)
{
    setDate(2024, 1, 1);
    calendar->show();
    QTest::keyClick(calendar.get(), Qt::Key_Right);
    EXPECT_EQ(calendar->Day(), 2);
    QTest::keyClick(calendar.get(), Qt::Key_Down);
    EXPECT_EQ(calendar->Day(), 9);
    setDate(2024, 1, 31); // Wednesday, last day
    QTest::keyClick(calendar.get(), Qt::Key_Right);
    EXPECT_EQ(calendar->Day(), 31);
}

TEST_F(CalendarTest, DatesOutsideTheRangeAreRefused)
{
    EXPECT_THROW(calendar->SeTCCalendarDate(calendar::maxSerial() + 1.0), calendar::EDateEncodeError);
    EXPECT_THROW(calendar->SeTCCalendarDate(calendar::minSerial() - 1.0), calendar::EDateEncodeError);
    calendar->SeTCCalendarDate(EncodeDate(2020, 5, 5) + 0.75);
    EXPECT_EQ(calendar->Day(), 5);
}

TEST_F(CalendarTest, CellsFillTheControl)
{
    calendar->resize(7 * 40 + 6, 7 * 25 + 6);
    calendar->show();
    QApplication::processEvents();
    EXPECT_EQ(calendar->cellAt(QPoint(7 * 41 - 2, 7 * 26 - 2)), QPoint(6, 6));
    EXPECT_EQ(calendar->cellAt(QPoint(41, 26)), QPoint(1, 1));
}

} // namespace
