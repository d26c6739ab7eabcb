// SPDX-License-Identifier: MIT
#pragma once
// The performance graph's picture and properties without a widget: it keeps
// the off-screen image up to date one column per committed sample and replays
// the whole history only when a property, the scale or the size changes.

#include "graphhistory.h"

#include <QColor>
#include <QImage>
#include <QObject>

#include <algorithm>
#include <functional>

namespace quorvane {

// A namespace of its own so the enumeration is known to Qt's meta-object
// system (properties, Designer) without making the chart a QObject.
namespace perfgrap {
Q_NAMESPACE
/// Stacked bars or continued lines.
enum TGraphKind { pgBar = 0, pgLine = 1 };
Q_ENUM_NS(TGraphKind)
} // namespace perfgrap
using perfgrap::TGraphKind;
using perfgrap::pgBar;
using perfgrap::pgLine;

class PerformanceChart {
public:
    /// A 100 x 100 chart with the initial property values and an empty history.
    PerformanceChart();

    /// Called after the picture changed and should be shown again.
    std::function<void()> onRepaint;
    /// Called after the Scale setter changed the scale.
    std::function<void()> onScaleChange;

    TGraphKind GetKind() const { return m_kind; }
    void SetKind(TGraphKind kind);
    QColor GetForeColor() const { return m_foreColor; }
    void SetForeColor(const QColor& color);
    QColor GetBackColor() const { return m_backColor; }
    void SetBackColor(const QColor& color);
    int GetGridSize() const { return m_gridSize; }
    void SetGridSize(int size);
    int GetStepSize() const { return m_stepSize; }
    void SetStepSize(int size);
    std::int32_t GetScale() const { return m_scale; }
    void SetScale(std::int32_t scale);
    std::int32_t GetGradient() const { return m_gradient; }
    void SetGradient(std::int32_t gradient);
    bool GetGridlines() const { return m_gridlines; }
    void SetGridlines(bool on);
    int GetPenWidth() const { return m_penWidth; }
    void SetPenWidth(int width);

    void DataPoint(const QColor& color, std::int32_t value);
    void Update();
    void Replay();

    /// Gives the chart the control's size; a new width resizes the history.
    void setSize(int width, int height);
    /// Device pixels per control pixel; the picture is drawn at this density
    /// (grid lines, column widths and pens scaled) and carries it as its ratio.
    void setDevicePixelRatio(qreal ratio);
    qreal devicePixelRatio() const { return m_ratio; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int GetBandCount() const { return bandCountFor(m_width, m_stepSize); }

    /// The chart in device pixels (control size times the ratio).
    const QImage& picture() const { return m_picture; }
    const GraphHistory& history() const { return m_history; }
    /// In device pixels.
    int gridPhase() const { return m_gridPhase; }

private:
    void Initialize(int x0);
    void ScrollGraph();
    void DisplayPoints(int bandIndex);
    void PaintBar(QRgb color, std::int64_t base, std::int64_t height);
    void PaintLine(QRgb color, std::int32_t start, std::int32_t value);
    void fill(int left, int top, int right, int bottom, QRgb color);
    void changed();
    int toDevice(int logical) const;
    int deviceWidth() const { return toDevice(m_width); }
    int deviceHeight() const { return toDevice(m_height); }
    int deviceStep() const { return std::max(toDevice(m_stepSize), 1); }
    int deviceGrid() const { return std::max(toDevice(m_gridSize), 2); }
    int deviceLine() const { return std::max(toDevice(1), 1); }

    TGraphKind m_kind = pgLine;
    QColor m_foreColor{0, 128, 0};
    QColor m_backColor{0, 0, 0};
    int m_gridSize = 15;
    int m_stepSize = 3;
    std::int32_t m_scale = 1000;
    std::int32_t m_gradient = 100;
    bool m_gridlines = true;
    int m_penWidth = 2;

    int m_width = 100;
    int m_height = 100;
    qreal m_ratio = 1.0;
    QImage m_picture;
    int m_gridPhase = 0;
    // The column being drawn, left edge inclusive, right edge exclusive, in
    // device pixels like the grid phase.
    int m_columnLeft = 0;
    int m_columnRight = 0;
    GraphHistory m_history;
};

} // namespace quorvane
