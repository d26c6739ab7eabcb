// SPDX-License-Identifier: MIT
#include "calendarmath.h"

namespace quorvane::calendar {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days from 1 March of year 0 based era arithmetic; exact for the proleptic
// Gregorian calendar on any year, negative ones included.
long long daysFromCivil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

Ymd civilFromDays(long long z)
{
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return Ymd{static_cast<int>(y), m, d};
}

const long long kEpoch = daysFromCivil(1899, 12, 30);

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysPerMonth(int year, int month)
{
    return kMonthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool isValidDate(int year, int month, int day)
{
    return year >= kMinYear && year <= kMaxYear && month >= 1 && month <= 12 && day >= 1
        && day <= DaysPerMonth(year, month);
}

int encodeDate(int year, int month, int day)
{
    if (!isValidDate(year, month, day))
        throw EDateEncodeError();
    return static_cast<int>(daysFromCivil(year, month, day) - kEpoch);
}

Ymd decodeDate(int serial)
{
    return civilFromDays(serial + kEpoch);
}

int minSerial()
{
    return encodeDate(kMinYear, 1, 1);
}

int maxSerial()
{
    return encodeDate(kMaxYear, 12, 31);
}

int dayOfWeek(int serial)
{
    // Serial 0, 30 December 1899, was a Saturday.
    const int r = ((serial % 7) + 7) % 7;
    return r == 0 ? 7 : r;
}

int monthOffset(int firstWeekday, int startOfWeek)
{
    const int offset = 2 - ((firstWeekday - startOfWeek + 7) % 7);
    return offset == 2 ? -5 : offset;
}

int dayColumn(int day, int offset)
{
    return (day - offset) % 7;
}

int dayRow(int day, int offset)
{
    return (day - offset) / 7 + 1;
}

int cellDayNumber(int column, int row, int offset)
{
    return offset + column + (row - 1) * 7;
}

int columnWeekday(int startOfWeek, int column)
{
    return (startOfWeek + column) % 7;
}

int normaliseStartOfWeek(int value)
{
    return value < 1 || value > 7 ? 1 : value;
}

Ymd changeMonth(const Ymd& date, int delta)
{
    const int anchorDay = delta > 0 ? DaysPerMonth(date.year, date.month) : 1;
    const int anchor = encodeDate(date.year, date.month, anchorDay) + delta;
    const Ymd target = decodeDate(anchor);
    if (target.year < kMinYear || target.year > kMaxYear)
        throw EDateEncodeError();
    const int length = DaysPerMonth(target.year, target.month);
    return Ymd{target.year, target.month, date.day < length ? date.day : length};
}

} // namespace quorvane::calendar
