// SPDX-License-Identifier: MIT
#include "performancechart.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorvane {

namespace {

int positiveModulo(int value, int divisor)
{
    const int rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

} // namespace

PerformanceChart::PerformanceChart()
    : m_history(bandCountFor(m_width, m_stepSize))
{
    Initialize(toDevice(m_gridSize - 1));
}

void PerformanceChart::SetKind(TGraphKind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    Replay();
}

void PerformanceChart::SetForeColor(const QColor& color)
{
    if (color == m_foreColor)
        return;
    m_foreColor = color;
    Replay();
}

void PerformanceChart::SetBackColor(const QColor& color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    Replay();
}

void PerformanceChart::SetGridSize(int size)
{
    size = std::max(size, 2);
    if (size == m_gridSize)
        return;
    m_gridSize = size;
    Replay();
}

void PerformanceChart::SetStepSize(int size)
{
    size = std::max(size, 1);
    if (size == m_stepSize)
        return;
    m_stepSize = size;
    m_history.ReallocHistory(GetBandCount());
    Replay();
}

void PerformanceChart::SetScale(std::int32_t scale)
{
    // Compared after rounding, so re-assigning an equivalent value neither
    // fires the event nor costs a replay.
    const std::int32_t rounded = RoundUp(scale, m_gradient);
    if (rounded == m_scale)
        return;
    m_scale = rounded;
    if (onScaleChange)
        onScaleChange();
    Replay();
}

void PerformanceChart::SetGradient(std::int32_t gradient)
{
    if (gradient == m_gradient)
        return;
    m_gradient = gradient;
    Replay();
}

void PerformanceChart::SetGridlines(bool on)
{
    if (on == m_gridlines)
        return;
    m_gridlines = on;
    Replay();
}

void PerformanceChart::SetPenWidth(int width)
{
    if (width == m_penWidth)
        return;
    m_penWidth = width;
    Replay();
}

void PerformanceChart::DataPoint(const QColor& color, std::int32_t value)
{
    m_history.DataPoint(color.rgb(), value);
}

void PerformanceChart::Update()
{
    ScrollGraph();
    m_history.ShiftY();
    const std::int32_t scale = RoundUp(m_history.largestValue(), m_gradient);
    if (scale == m_scale) {
        DisplayPoints(m_history.LastY(m_history.current()));
        changed();
    } else {
        SetScale(scale);
    }
}

void PerformanceChart::Replay()
{
    Initialize(positiveModulo(deviceWidth() + m_gridPhase, deviceGrid()));
    const int savedLeft = m_columnLeft;
    const int savedRight = m_columnRight;

    // Right-aligned like the incremental path: the newest committed band ends
    // at the right edge, the current (still open) band would lie beyond it.
    // The oldest band is never drawn; it only starts the lines of the next.
    const int first = m_history.FirstY();
    const int width = deviceWidth();
    const int step = deviceStep();
    int x = width;
    for (int i = m_history.current(); i != first && x + step > 0; i = m_history.LastY(i)) {
        if (x < width) {
            m_columnLeft = x;
            m_columnRight = x + step;
            DisplayPoints(i);
        }
        x -= step;
    }
    changed();
    m_columnLeft = savedLeft;
    m_columnRight = savedRight;
}

void PerformanceChart::setSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    const bool widthChanged = width != m_width;
    m_width = width;
    m_height = height;
    if (widthChanged)
        m_history.ReallocHistory(GetBandCount());
    Replay();
}

void PerformanceChart::setDevicePixelRatio(qreal ratio)
{
    if (ratio <= 0 || qFuzzyCompare(ratio, m_ratio))
        return;
    // The grid keeps its place on screen: its phase is kept in device pixels.
    m_gridPhase = static_cast<int>(std::lround(m_gridPhase * ratio / m_ratio));
    m_ratio = ratio;
    Replay();
}

int PerformanceChart::toDevice(int logical) const
{
    return m_ratio == 1.0 ? logical : static_cast<int>(std::lround(logical * m_ratio));
}

// Everything below works in device pixels: at a ratio of 2 a grid line is two
// pixels wide and a column twice as many, so the picture is shown 1:1 instead
// of being scaled up.
void PerformanceChart::Initialize(int x0)
{
    const int width = deviceWidth();
    const int height = deviceHeight();
    if (m_picture.width() != width || m_picture.height() != height)
        m_picture = QImage(width, height, QImage::Format_RGB32);
    m_picture.setDevicePixelRatio(m_ratio);
    const QRgb back = m_backColor.rgb();
    const QRgb fore = m_foreColor.rgb();
    const int grid = deviceGrid();
    const int line = deviceLine();
    fill(0, 0, width, height, back);
    if (m_gridlines) {
        for (int y = grid; y < height; y += grid)
            fill(0, y, width, y + line, fore);
        int x = x0;
        for (; x < width; x += grid)
            fill(x, 0, x + line, height, fore);
        m_gridPhase = x - width;
    }
    m_columnLeft = width - deviceStep();
    m_columnRight = width;
}

void PerformanceChart::ScrollGraph()
{
    const int width = deviceWidth();
    const int height = deviceHeight();
    const int step = deviceStep();
    const int keep = width - step;
    if (keep > 0 && !m_picture.isNull()) {
        const std::size_t bytes = static_cast<std::size_t>(keep) * sizeof(QRgb);
        const std::size_t offset = static_cast<std::size_t>(step) * sizeof(QRgb);
        for (int y = 0; y < height; ++y) {
            uchar* line = m_picture.scanLine(y);
            std::memmove(line, line + offset, bytes);
        }
    }
    fill(m_columnLeft, 0, m_columnRight, height, m_backColor.rgb());
    if (!m_gridlines)
        return;
    const QRgb fore = m_foreColor.rgb();
    const int grid = deviceGrid();
    const int line = deviceLine();
    for (int y = grid; y < height; y += grid)
        fill(m_columnLeft, y, m_columnRight, y + line, fore);
    // Every grid line that scrolled into the new column is drawn, also when a
    // step is wider than the grid, so the phase never runs away.
    m_gridPhase -= step;
    while (m_gridPhase < 0) {
        const int x = width + m_gridPhase;
        fill(x, 0, x + line, height, fore);
        m_gridPhase += grid;
    }
}

void PerformanceChart::DisplayPoints(int bandIndex)
{
    const GraphBand& band = m_history.band(bandIndex);
    const GraphBand& before = m_history.band(m_history.LastY(bandIndex));
    std::int32_t previous = 0;
    for (int k = 0; k < band.count; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        const std::int32_t value = band.values[slot];
        if (value == 0)
            continue;
        const QRgb color = band.colors[slot];
        if (m_kind == pgBar) {
            PaintBar(color, previous, static_cast<std::int64_t>(value) - previous);
        } else {
            std::int32_t start = 0;
            for (int j = 0; j < before.count; ++j) {
                if (before.colors[static_cast<std::size_t>(j)] == color) {
                    start = before.values[static_cast<std::size_t>(j)];
                    break;
                }
            }
            PaintLine(color, start, value);
        }
        previous = value;
    }
}

void PerformanceChart::PaintBar(QRgb color, std::int64_t base, std::int64_t height)
{
    const int picture = deviceHeight();
    const int heightPixels = pixelSize(height, picture, m_scale);
    if (height == 0 || heightPixels == 0)
        return;
    const int basePixels = pixelSize(base, picture, m_scale);
    fill(m_columnLeft, picture - basePixels - heightPixels - deviceLine(), m_columnRight,
         picture - basePixels, color);
}

void PerformanceChart::PaintLine(QRgb color, std::int32_t start, std::int32_t value)
{
    if (m_picture.isNull())
        return;
    const int picture = deviceHeight();
    // Drawn in device pixels: without its ratio the painter does not scale.
    m_picture.setDevicePixelRatio(1.0);
    {
        QPainter painter(&m_picture);
        // Clipped to the column so that a wide pen never reaches into older
        // columns: replayed and incrementally drawn pictures stay identical.
        painter.setClipRect(m_columnLeft, 0, m_columnRight - m_columnLeft, picture);
        painter.setPen(QPen(QColor(color), std::max(toDevice(m_penWidth), 1), Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(m_columnLeft, picture - pixelSize(start, picture, m_scale),
                         m_columnRight, picture - pixelSize(value, picture, m_scale));
    }
    m_picture.setDevicePixelRatio(m_ratio);
}

void PerformanceChart::fill(int left, int top, int right, int bottom, QRgb color)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_picture.width());
    bottom = std::min(bottom, m_picture.height());
    if (left >= right || top >= bottom)
        return;
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_picture.scanLine(y));
        std::fill(line + left, line + right, color);
    }
}

void PerformanceChart::changed()
{
    if (onRepaint)
        onRepaint();
}

} // namespace quorvane
