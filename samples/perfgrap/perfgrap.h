// SPDX-License-Identifier: MIT
#pragma once
// TPerformanceGraph: a scrolling strip chart of recent samples, in the manner
// of a system performance monitor. Each Update commits the points given since
// the last one as one column at the right edge.

#include "performancechart.h"
#include "samples/common/propertywrite.h"

#include <QWidget>

namespace quorvane {

class TPerformanceGraph : public QWidget {
    Q_OBJECT
    /// Stacked bars (pgBar) or continued lines (pgLine).
    Q_PROPERTY(quorvane::perfgrap::TGraphKind Kind READ GetKind WRITE setKind)
    /// Colour of the grid.
    Q_PROPERTY(QColor ForeColor READ GetForeColor WRITE setForeColor)
    /// Colour of the chart's background.
    Q_PROPERTY(QColor BackColor READ GetBackColor WRITE setBackColor)
    /// Distance of the grid lines in pixels, at least 2.
    Q_PROPERTY(int GridSize READ GetGridSize WRITE setGridSize)
    /// Width of one sample's column in pixels, at least 1.
    Q_PROPERTY(int StepSize READ GetStepSize WRITE setStepSize)
    /// Value shown at full height, a multiple of Gradient.
    Q_PROPERTY(int Scale READ GetScale WRITE setScale)
    /// Rounding step of the scale (0: no rounding).
    Q_PROPERTY(int Gradient READ GetGradient WRITE setGradient)
    /// Whether the grid is drawn.
    Q_PROPERTY(bool Gridlines READ GetGridlines WRITE setGridlines)
    /// Width of the chart lines of pgLine in pixels.
    Q_PROPERTY(int PenWidth READ GetPenWidth WRITE setPenWidth)
public:
    /// A 100 x 100 line graph with an empty history.
    explicit TPerformanceGraph(QWidget* parent = nullptr);

    /// Stacked bars or continued lines.
    TGraphKind GetKind() const { return m_chart.GetKind(); }
    void SetKind(TGraphKind kind) { m_chart.SetKind(kind); }
    /// Colour of the grid.
    QColor GetForeColor() const { return m_chart.GetForeColor(); }
    void SetForeColor(const QColor& color) { m_chart.SetForeColor(color); }
    /// Colour of the chart's background.
    QColor GetBackColor() const { return m_chart.GetBackColor(); }
    void SetBackColor(const QColor& color) { m_chart.SetBackColor(color); }
    /// Distance of the grid lines in pixels, at least 2.
    int GetGridSize() const { return m_chart.GetGridSize(); }
    void SetGridSize(int size) { m_chart.SetGridSize(size); }
    /// Width of one sample's column in pixels, at least 1; keeps the newest samples.
    int GetStepSize() const { return m_chart.GetStepSize(); }
    void SetStepSize(int size) { m_chart.SetStepSize(size); }
    /// Value shown at full height; stored rounded up to a multiple of Gradient.
    std::int32_t GetScale() const { return m_chart.GetScale(); }
    void SetScale(std::int32_t scale) { m_chart.SetScale(scale); }
    /// Rounding step of the scale (0: no rounding).
    std::int32_t GetGradient() const { return m_chart.GetGradient(); }
    void SetGradient(std::int32_t gradient) { m_chart.SetGradient(gradient); }
    /// Whether the grid is drawn.
    bool GetGridlines() const { return m_chart.GetGridlines(); }
    void SetGridlines(bool on) { m_chart.SetGridlines(on); }
    /// Width of the chart lines of pgLine in pixels (the grid stays 1 pixel).
    int GetPenWidth() const { return m_chart.GetPenWidth(); }
    void SetPenWidth(int width) { m_chart.SetPenWidth(width); }

    /// Qt-style setters (set + the property name, as uic calls them) behind the
    /// properties: the Set operations, but a refused value is reported, not thrown.
    void setKind(TGraphKind kind);
    void setForeColor(const QColor& color);
    void setBackColor(const QColor& color);
    void setGridSize(int size);
    void setStepSize(int size);
    void setScale(int scale);
    void setGradient(int gradient);
    void setGridlines(bool on);
    void setPenWidth(int width);
    /// Where a value refused through the property system goes (a message box by default).
    Q_INVOKABLE void setErrorReport(const quorvane::HandlerErrorReport& report) { m_report = report; }

    /// Adds a point to the current sample; the 17th throws ERangeError.
    void DataPoint(const QColor& color, std::int32_t value) { m_chart.DataPoint(color, value); }
    /// Commits the current sample: one scroll and one new column.
    void Update();
    /// Redraws the whole chart from the history.
    void Replay() { m_chart.Replay(); }
    /// Columns the graph shows at its current width.
    int GetBandCount() const { return m_chart.GetBandCount(); }

    /// The off-screen picture painting copies: the control's size in device pixels.
    const QImage& picture();

    QSize sizeHint() const override { return {100, 100}; }

signals:
    /// The scale changed, by the setter or because the data needed another one.
    void OnScaleChange(quorvane::TPerformanceGraph* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncSize();

    PerformanceChart m_chart;
    HandlerErrorReport m_report = &showHandlerError;
};

} // namespace quorvane
