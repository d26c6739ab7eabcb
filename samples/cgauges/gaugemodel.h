// SPDX-License-Identifier: MIT
#pragma once
// The gauge's range rules and the geometry of its five forms, as plain
// arithmetic: tests check them without painting anything.

#include "core/exceptions.h"

#include <cstdint>

namespace quorvane {

/// A MinValue or MaxValue that would cross the other bound.
class GaugeRangeError : public Exception {
public:
    /// "Value must be between <low> and <high>".
    GaugeRangeError(std::int64_t low, std::int64_t high);
};

/// MinValue <= Progress <= MaxValue, kept by the setters.
class GaugeRange {
public:
    std::int32_t GetMinValue() const { return m_min; }
    std::int32_t GetMaxValue() const { return m_max; }
    std::int32_t GetProgress() const { return m_progress; }
    /// Whole percentage of the way from MinValue to MaxValue; 0 for an empty range.
    int GetPercentDone() const;

    /// Each setter returns whether the gauge must be repainted and throws
    /// GaugeRangeError, changing nothing, when the bounds would cross.
    bool SetMinValue(std::int32_t value);
    bool SetMaxValue(std::int32_t value);
    /// Clamps into the range; repaint only when the whole percentage moved.
    bool SetProgress(std::int64_t value);

private:
    std::int32_t m_min = 0;
    std::int32_t m_max = 100;
    std::int32_t m_progress = 0;
};

/// A rectangle by its edges, right and bottom exclusive.
struct GaugeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const GaugeRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct GaugePoint {
    int x = 0;
    int y = 0;
    bool operator==(const GaugePoint& o) const { return x == o.x && y == o.y; }
};

/// The client area, less the one-pixel frame when bordered.
GaugeRect paintRectFor(int width, int height, bool bordered);
/// Filled part of a horizontal bar; empty (right <= left) at 0 %.
GaugeRect horizontalBar(const GaugeRect& area, int percent);
/// Filled part of a vertical bar; stops short of the top at 100 %.
GaugeRect verticalBar(const GaugeRect& area, int percent);

/// Pie and needle size: edge difference, plus one when bordered.
struct GaugeExtent {
    int w = 0;
    int h = 0;
};
GaugeExtent roundExtent(const GaugeRect& area, bool bordered);

/// Point on the pie's radius where the filled wedge starts (it ends at 12 o'clock).
GaugePoint pieStart(const GaugeExtent& extent, int percent);
/// Tip of the needle; the needle's foot is needleFoot().
GaugePoint needleTip(int controlWidth, const GaugeRect& area, int percent);
GaugePoint needleFoot(int controlWidth, const GaugeRect& area);

/// Top-left corner of the percentage text of the given size.
GaugePoint textOrigin(const GaugeRect& area, int textWidth, int textHeight);

} // namespace quorvane
