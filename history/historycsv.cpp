#include "history/historycsv.h"

#include <cstdio>

namespace quorvane {

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days).
void civilFromDays(std::int64_t days, int& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::string latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace

std::string utcTimestamp(std::int64_t utcMs)
{
    const std::int64_t seconds = floorDiv(utcMs, 1000);
    const std::int64_t days = floorDiv(seconds, 86400);
    const auto inDay = static_cast<int>(seconds - days * 86400);
    int year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", year, month, day, inDay / 3600,
                  inDay / 60 % 60, inDay % 60);
    return text;
}

std::string csvField(const std::string& bytes)
{
    std::string text = latin1ToUtf8(bytes);
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string historyCsvLine(const HistoryPoint& point)
{
    return utcTimestamp(point.receivedUtcMs) + ',' + csvField(point.symbol) + ',' + csvField(point.price) + ','
           + csvField(point.marketTime) + ',' + csvField(point.signalText) + "\r\n";
}

std::string historyCsv(const std::vector<HistoryPoint>& points)
{
    std::string csv = std::string(kHistoryCsvHeader) + "\r\n";
    for (const HistoryPoint& point : points)
        csv += historyCsvLine(point);
    return csv;
}

} // namespace quorvane
