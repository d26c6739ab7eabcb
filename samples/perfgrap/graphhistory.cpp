// SPDX-License-Identifier: MIT
#include "graphhistory.h"

#include <algorithm>
#include <limits>

namespace quorvane {

ERangeError::ERangeError()
    : Exception("Performance graph: a sample holds at most 16 data points")
{
}

GraphHistory::GraphHistory(int bandCount)
    : m_bands(static_cast<std::size_t>(std::max(bandCount, 1) + 2))
{
}

int GraphHistory::following(int i) const
{
    return i >= size() - 1 ? 0 : i + 1;
}

int GraphHistory::NextY(int i) const
{
    const int next = following(i);
    return next == m_first ? -1 : next;
}

int GraphHistory::LastY(int i) const
{
    return i <= 0 ? size() - 1 : i - 1;
}

void GraphHistory::DataPoint(QRgb color, std::int32_t value)
{
    GraphBand& band = m_bands[static_cast<std::size_t>(m_current)];
    if (band.count >= GraphBand::kMaxPoints)
        throw ERangeError();
    band.colors[static_cast<std::size_t>(band.count)] = color;
    band.values[static_cast<std::size_t>(band.count)] = value;
    ++band.count;
}

void GraphHistory::ShiftY()
{
    m_current = following(m_current);
    m_bands[static_cast<std::size_t>(m_current)].count = 0;
    m_first = following(m_current);
}

std::int32_t GraphHistory::largestValue() const
{
    std::int32_t largest = 0;
    for (const GraphBand& band : m_bands)
        for (int k = 0; k < band.count; ++k)
            largest = std::max(largest, band.values[static_cast<std::size_t>(k)]);
    return largest;
}

void GraphHistory::ReallocHistory(int bandCount)
{
    const std::size_t newSize = static_cast<std::size_t>(std::max(bandCount, 1) + 2);

    // Walk oldest to current rather than over the raw ring: after an earlier
    // growth the slots beyond the current band are empty, not newer.
    std::vector<int> order;
    for (int i = m_first;; i = following(i)) {
        order.push_back(i);
        if (i == m_current || order.size() == m_bands.size())
            break;
    }
    const std::size_t keep = std::min(order.size(), newSize);
    std::vector<GraphBand> bands(newSize);
    for (std::size_t k = 0; k < keep; ++k)
        bands[k] = m_bands[static_cast<std::size_t>(order[order.size() - keep + k])];
    m_bands = std::move(bands);
    m_first = 0;
    m_current = static_cast<int>(keep) - 1;
}

std::int32_t RoundUp(std::int32_t value, std::int32_t step)
{
    if (step == 0 || value % static_cast<std::int64_t>(step) == 0)
        return value;
    const std::int64_t rounded = (value / static_cast<std::int64_t>(step) + 1) * step;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        rounded, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

int pixelSize(std::int64_t value, int height, std::int32_t scale)
{
    if (value <= 0 || height <= 0)
        return 0;
    if (scale <= 0)
        return height;
    const double pixels = static_cast<double>(value) * height / scale;
    return pixels >= height ? height : static_cast<int>(pixels);
}

int bandCountFor(int width, int stepSize)
{
    return std::max(1, width / std::max(stepSize, 1));
}

} // namespace quorvane
