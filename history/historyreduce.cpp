// SPDX-License-Identifier: MIT
#include "history/historyreduce.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quorvane {

namespace {

// Collects one column at a time; a sample arriving for a later column closes
// the current one. The four kept samples are indexes into the column, so that
// ties keep the earliest sample and the output stays in time order.
class ColumnReducer {
public:
    ColumnReducer(std::int64_t fromMs, std::int64_t toMs, int columns, std::size_t expected)
        : m_fromMs(fromMs), m_span(toMs - fromMs), m_columns(std::max(columns, 1))
    {
        m_out.reserve(std::min<std::size_t>(expected, 4 * static_cast<std::size_t>(m_columns)));
    }

    void add(std::int64_t timeMs, double value)
    {
        // A span of years in ms times a few thousand columns still fits in 64 bits.
        const auto column = static_cast<int>((timeMs - m_fromMs) * m_columns / m_span);
        if (column != m_column || m_count == 0) {
            flush();
            m_column = column;
            m_first = m_min = m_max = m_last = {timeMs, value};
            m_minAt = m_maxAt = m_lastAt = 0;
            m_count = 1;
            return;
        }
        const std::size_t at = m_count++;
        if (value < m_min.value) {
            m_min = {timeMs, value};
            m_minAt = at;
        }
        if (value > m_max.value) {
            m_max = {timeMs, value};
            m_maxAt = at;
        }
        m_last = {timeMs, value};
        m_lastAt = at;
    }

    std::vector<SeriesPoint> take()
    {
        flush();
        return std::move(m_out);
    }

private:
    void flush()
    {
        if (m_count == 0)
            return;
        m_out.push_back(m_first);
        // Lowest and highest in the order they happened; neither repeats the first or last.
        const bool minFirst = m_minAt <= m_maxAt;
        const std::size_t a = minFirst ? m_minAt : m_maxAt;
        const std::size_t b = minFirst ? m_maxAt : m_minAt;
        if (a != 0 && a != m_lastAt)
            m_out.push_back(minFirst ? m_min : m_max);
        if (b != 0 && b != m_lastAt && b != a)
            m_out.push_back(minFirst ? m_max : m_min);
        if (m_lastAt != 0)
            m_out.push_back(m_last);
        m_count = 0;
    }

    std::int64_t m_fromMs;
    std::int64_t m_span;
    int m_columns;
    std::vector<SeriesPoint> m_out;
    int m_column = -1;
    std::size_t m_count = 0;
    SeriesPoint m_first, m_min, m_max, m_last;
    std::size_t m_minAt = 0, m_maxAt = 0, m_lastAt = 0;
};

bool inWindow(std::int64_t timeMs, std::int64_t fromMs, std::int64_t toMs)
{
    return timeMs >= fromMs && timeMs < toMs;
}

} // namespace

std::vector<SeriesPoint> reduceToColumns(const std::vector<SeriesPoint>& samples, std::int64_t fromMs,
                                         std::int64_t toMs, int columns)
{
    if (toMs <= fromMs)
        return {};
    ColumnReducer reducer(fromMs, toMs, columns, samples.size());
    for (const SeriesPoint& s : samples) {
        if (inWindow(s.timeMs, fromMs, toMs) && std::isfinite(s.value))
            reducer.add(s.timeMs, s.value);
    }
    return reducer.take();
}

HistorySeries reduceToColumns(const std::vector<HistoryPoint>& points, std::int64_t fromMs, std::int64_t toMs,
                              int columns)
{
    if (toMs <= fromMs)
        return {};
    ColumnReducer signal(fromMs, toMs, columns, points.size());
    ColumnReducer price(fromMs, toMs, columns, points.size());
    for (const HistoryPoint& p : points) {
        if (!inWindow(p.receivedUtcMs, fromMs, toMs))
            continue;
        if (p.signal && std::isfinite(*p.signal))
            signal.add(p.receivedUtcMs, *p.signal);
        if (const std::optional<double> value = priceNumber(p.price))
            price.add(p.receivedUtcMs, *value);
    }
    return {signal.take(), price.take()};
}

std::optional<double> priceNumber(const std::string& text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ')
        ++begin;
    while (end != begin && end[-1] == ' ')
        --end;
    if (begin == end)
        return std::nullopt;
    double value = 0;
    // fixed: no exponents, no "inf"/"nan"; from_chars never looks at the locale.
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace quorvane
