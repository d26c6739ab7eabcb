// SPDX-License-Identifier: MIT
#pragma once
// The sample history of the performance graph and the arithmetic that turns
// values into pixels. No widgets and no painting, so that tests can check the
// ring walk and the scale without a window.

#include "core/exceptions.h"

#include <QtGui/qrgb.h>

#include <array>
#include <cstdint>
#include <vector>

namespace quorvane {

/// Raised by DataPoint when the current sample already holds its 16 points.
class ERangeError : public Exception {
public:
    ERangeError();
};

/// One sample: up to 16 points in the order they were added.
struct GraphBand {
    static constexpr int kMaxPoints = 16;
    int count = 0;
    std::array<QRgb, kMaxPoints> colors{};
    std::array<std::int32_t, kMaxPoints> values{};
};

/// Ring of bands, oldest at FirstY(), new points going into current().
class GraphHistory {
public:
    /// A ring for a graph showing bandCount columns: bandCount + 2 empty bands.
    explicit GraphHistory(int bandCount);

    /// Number of bands in the ring.
    int size() const { return static_cast<int>(m_bands.size()); }
    /// Index of the oldest band.
    int FirstY() const { return m_first; }
    /// Index of the band that receives new points.
    int current() const { return m_current; }
    /// The band after i, or -1 when the walk from FirstY() is complete.
    int NextY(int i) const;
    /// The band before i, wrapping at 0.
    int LastY(int i) const;
    /// Band at ring index i.
    const GraphBand& band(int i) const { return m_bands[static_cast<std::size_t>(i)]; }

    /// Adds a point to the current band; throws ERangeError when it is full.
    void DataPoint(QRgb color, std::int32_t value);
    /// Commits the current band: the next band becomes current and empty.
    void ShiftY();
    /// Largest point value in the whole ring, never below 0.
    std::int32_t largestValue() const;
    /// Resizes the ring for bandCount columns, keeping the newest bands.
    void ReallocHistory(int bandCount);

private:
    /// The band after i, wrapping at the end of the ring.
    int following(int i) const;

    std::vector<GraphBand> m_bands;
    int m_first = 1;
    int m_current = 0;
};

/// value rounded up to a multiple of step (unchanged when step is 0); saturates
/// at the 32-bit limits instead of overflowing.
std::int32_t RoundUp(std::int32_t value, std::int32_t step);

/// Pixel size of value in a chart height pixels high showing scale at the top:
/// value * height / scale truncated, kept within 0 .. height. Values at or
/// below 0 are on the baseline; with no positive scale any positive value is
/// drawn at full height, so a stale scale never divides by zero.
int pixelSize(std::int64_t value, int height, std::int32_t scale);

/// Columns shown by a graph of the given width: width / stepSize, at least 1
/// so that a graph narrower than one step still keeps its newest sample.
int bandCountFor(int width, int stepSize);

} // namespace quorvane
