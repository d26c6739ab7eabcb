// SPDX-License-Identifier: MIT
#include "history/historyexport.h"

#include "core/exceptions.h"
#include "history/historydb.h"
#include "history/historyreader.h"

#include <cstdio>
#include <limits>
#include <sstream>

namespace quorvane {

namespace {

// Days from 1970-01-01 to y-m-d of the proleptic Gregorian calendar, and back
// (H. Hinnant's civil algorithms): no time zone, no time_t limits.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

unsigned daysInMonth(std::int64_t y, unsigned m)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

// Length of the UTF-8 sequence at `i`, or 0 when it is none (overlong forms,
// surrogates and code points above U+10FFFF included, as Qt refuses them).
std::size_t sequenceAt(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2, min = 0x80, code = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3, min = 0x800, code = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4, min = 0x10000, code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0u) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3fu);
    }
    if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

bool isUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = sequenceAt(s, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::string displayUtf8(std::string_view bytes)
{
    if (isUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xc0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3f));
        }
    }
    return out;
}

std::string csvField(std::string_view bytes)
{
    std::string text = displayUtf8(bytes);
    // The texts come from the signal service; a spreadsheet opening the file
    // would run a cell that starts like this as a formula. Numbers are no risk
    // and keep their sign.
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos
        && !signalNumber(text))
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string utcTimestamp(std::int64_t utcMs)
{
    // Floor, so a time before 1970 lands in its own second.
    const std::int64_t seconds = utcMs / 1000 - (utcMs % 1000 < 0 ? 1 : 0);
    const std::int64_t days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    const std::int64_t second = seconds - days * 86400;
    std::int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    civilFromDays(days, y, m, d);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", static_cast<long long>(y), m, d,
                  static_cast<long long>(second / 3600), static_cast<long long>(second / 60 % 60),
                  static_cast<long long>(second % 60));
    return text;
}

std::int64_t parseSinceDate(const std::string& text)
{
    const auto refuse = [&]() -> Exception {
        return Exception("--since wants a date as YYYY-MM-DD, such as 2026-12-08, not \"" + text + "\"");
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        throw refuse();
    unsigned parts[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (std::size_t k = starts[p]; k < starts[p] + lengths[p]; ++k) {
            if (text[k] < '0' || text[k] > '9')
                throw refuse();
            parts[p] = parts[p] * 10 + static_cast<unsigned>(text[k] - '0');
        }
    }
    const unsigned year = parts[0];
    const unsigned month = parts[1];
    const unsigned day = parts[2];
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        throw refuse();
    return daysFromCivil(year, month, day) * 86400 * 1000;
}

void writeCsvHeader(std::ostream& out)
{
    out << "received_utc,symbol,price,market_time,signal\r\n";
}

void writeCsvRow(std::ostream& out, const HistoryPoint& point)
{
    out << utcTimestamp(point.receivedUtcMs) << ',' << csvField(point.symbol) << ',' << csvField(point.price) << ','
        << csvField(point.marketTime) << ',' << csvField(point.signalText) << "\r\n";
}

void exportHistoryCsv(const std::string& historyFile, std::optional<std::string> shortName,
                      std::optional<std::int64_t> sinceUtcMs, std::ostream& out)
{
    writeCsvHeader(out);
    const HistoryReader reader(historyFile);
    reader.forEach(shortName, sinceUtcMs.value_or(std::numeric_limits<std::int64_t>::min()),
                   [&out](const HistoryPoint& point) { writeCsvRow(out, point); });
    out.flush();
    if (!out)
        throw Exception("Cannot write the history export");
}

std::string historyCsv(const std::vector<HistoryPoint>& points)
{
    std::ostringstream out;
    writeCsvHeader(out);
    for (const HistoryPoint& point : points)
        writeCsvRow(out, point);
    return out.str();
}

} // namespace quorvane
