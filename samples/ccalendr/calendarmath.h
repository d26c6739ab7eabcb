// SPDX-License-Identifier: MIT
#pragma once
// Proleptic Gregorian date arithmetic on day serials (days since
// 30 December 1899, the date type of the calendar), from 1 January of year 1
// to 31 December 9999, and the arithmetic of the month grid.

#include "core/exceptions.h"

namespace quorvane::calendar {

/// A date that does not exist, or lies outside years 1 to 9999.
class EDateEncodeError : public Exception {
public:
    EDateEncodeError() : Exception("Invalid argument to date encode") {}
};

/// A calendar date split into its elements.
struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const Ymd& o) const { return year == o.year && month == o.month && day == o.day; }
};

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

/// Divisible by 4 and either not by 100 or by 400.
bool IsLeapYear(int year);
/// Length of month 1 to 12 of the year.
int DaysPerMonth(int year, int month);
/// Whether the elements name an existing date within years 1 to 9999.
bool isValidDate(int year, int month, int day);
/// Day serial of a date; throws EDateEncodeError for a date that does not exist.
int encodeDate(int year, int month, int day);
/// Elements of a day serial (any serial; years outside 1..9999 come out as computed).
Ymd decodeDate(int serial);
/// Day serials of the first and last representable dates.
int minSerial();
int maxSerial();
/// Weekday of a day serial, 1 Sunday to 7 Saturday.
int dayOfWeek(int serial);

/// Day number shown in column 0 of the first week row (1 or less) for a month
/// whose first day falls on firstWeekday (1 Sunday .. 7 Saturday) when the
/// week starts on startOfWeek (1 Monday .. 7 Sunday).
int monthOffset(int firstWeekday, int startOfWeek);
/// Column of day `day` in the grid.
int dayColumn(int day, int offset);
/// Row (1 to 6) of day `day` in the grid.
int dayRow(int day, int offset);
/// Day number in a grid cell (rows 1 to 6); may lie outside the month.
int cellDayNumber(int column, int row, int offset);
/// Weekday shown above a column, 0 Sunday .. 6 Saturday.
int columnWeekday(int startOfWeek, int column);
/// StartOfWeek as stored: values outside 1 to 7 become 1.
int normaliseStartOfWeek(int value);

/// One month on (delta > 0) or back, keeping the day where the month allows.
/// Throws EDateEncodeError when the step leaves years 1 to 9999.
Ymd changeMonth(const Ymd& date, int delta);

} // namespace quorvane::calendar
