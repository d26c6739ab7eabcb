// SPDX-License-Identifier: MIT
#include "gaugemodel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace quorvane {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

GaugeRangeError::GaugeRangeError(std::int64_t low, std::int64_t high)
    : Exception("Value must be between " + std::to_string(low) + " and " + std::to_string(high))
{
}

int GaugeRange::GetPercentDone() const
{
    // 64-bit differences: the full 32-bit range would overflow in 32 bits.
    const std::int64_t span = static_cast<std::int64_t>(m_max) - m_min;
    if (span == 0)
        return 0;
    const std::int64_t done = static_cast<std::int64_t>(m_progress) - m_min;
    return static_cast<int>(static_cast<double>(done) * 100.0 / static_cast<double>(span));
}

bool GaugeRange::SetMinValue(std::int32_t value)
{
    if (value == m_min)
        return false;
    if (value > m_max)
        throw GaugeRangeError(-2147483647, static_cast<std::int64_t>(m_max) - 1);
    m_min = value;
    m_progress = std::max(m_progress, m_min);
    return true;
}

bool GaugeRange::SetMaxValue(std::int32_t value)
{
    if (value == m_max)
        return false;
    if (value < m_min)
        throw GaugeRangeError(static_cast<std::int64_t>(m_min) + 1, 2147483647);
    m_max = value;
    m_progress = std::min(m_progress, m_max);
    return true;
}

bool GaugeRange::SetProgress(std::int64_t value)
{
    const auto clamped = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, m_min, m_max));
    if (clamped == m_progress)
        return false;
    const int before = GetPercentDone();
    m_progress = clamped;
    return GetPercentDone() != before;
}

GaugeRect paintRectFor(int width, int height, bool bordered)
{
    const int inset = bordered ? 1 : 0;
    return {inset, inset, width - inset, height - inset};
}

GaugeRect horizontalBar(const GaugeRect& area, int percent)
{
    const int w = area.right - area.left + 1;
    const int h = area.bottom - area.top + 1;
    const int filled = std::min(static_cast<int>(percent * 0.01 * w), w);
    if (filled <= 0)
        return {area.left, area.top, area.left, area.top};
    return {area.left, area.top, filled, h};
}

GaugeRect verticalBar(const GaugeRect& area, int percent)
{
    const int w = area.right - area.left + 1;
    const int h = area.bottom - area.top + 1;
    int filled = static_cast<int>(percent * 0.01 * h);
    if (filled >= h)
        filled = h - 1;
    return {area.left, h - filled, w, h};
}

GaugeExtent roundExtent(const GaugeRect& area, bool bordered)
{
    const int extra = bordered ? 1 : 0;
    return {area.right - area.left + extra, area.bottom - area.top + extra};
}

GaugePoint pieStart(const GaugeExtent& extent, int percent)
{
    const double angle = (percent * 0.02 + 0.5) * kPi;
    return {static_cast<int>((1.0 - std::cos(angle)) * (extent.w / 2)),
            static_cast<int>((1.0 - std::sin(angle)) * (extent.h / 2))};
}

GaugePoint needleFoot(int controlWidth, const GaugeRect& area)
{
    return {controlWidth / 2, area.bottom - 1};
}

GaugePoint needleTip(int controlWidth, const GaugeRect& area, int percent)
{
    const double angle = percent * 0.01 * kPi;
    return {static_cast<int>((1.0 - std::cos(angle)) * (controlWidth / 2)),
            static_cast<int>((1.0 - std::sin(angle)) * (area.bottom - 1))};
}

GaugePoint textOrigin(const GaugeRect& area, int textWidth, int textHeight)
{
    return {(area.right - area.left + 1 - textWidth) / 2,
            (area.bottom - area.top + 1 - textHeight) / 2};
}

} // namespace quorvane
