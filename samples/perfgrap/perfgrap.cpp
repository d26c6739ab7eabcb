// SPDX-License-Identifier: MIT
#include "perfgrap.h"

#include <QPainter>

namespace quorvane {

TPerformanceGraph::TPerformanceGraph(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    m_chart.onRepaint = [this] { QWidget::update(); };
    m_chart.onScaleChange = [this] { emit OnScaleChange(this); };
    syncSize();
}

void TPerformanceGraph::Update()
{
    syncSize();
    m_chart.Update();
}

const QImage& TPerformanceGraph::picture()
{
    syncSize();
    return m_chart.picture();
}

void TPerformanceGraph::paintEvent(QPaintEvent*)
{
    // A move to a screen of another density replays once; otherwise this only copies.
    m_chart.setDevicePixelRatio(devicePixelRatioF());
    QPainter(this).drawImage(0, 0, m_chart.picture());
}

void TPerformanceGraph::resizeEvent(QResizeEvent*)
{
    syncSize();
}

// Hidden widgets get their resize event late, so the public operations check
// the size as well before they draw.
void TPerformanceGraph::syncSize()
{
    m_chart.setSize(width(), height());
    m_chart.setDevicePixelRatio(devicePixelRatioF());
}

void TPerformanceGraph::setKind(TGraphKind kind)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetKind, kind);
}

void TPerformanceGraph::setForeColor(const QColor& color)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetForeColor, color);
}

void TPerformanceGraph::setBackColor(const QColor& color)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetBackColor, color);
}

void TPerformanceGraph::setGridSize(int size)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetGridSize, size);
}

void TPerformanceGraph::setStepSize(int size)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetStepSize, size);
}

void TPerformanceGraph::setScale(int scale)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetScale, scale);
}

void TPerformanceGraph::setGradient(int gradient)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetGradient, gradient);
}

void TPerformanceGraph::setGridlines(bool on)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetGridlines, on);
}

void TPerformanceGraph::setPenWidth(int width)
{
    writeProperty(m_report, this, &TPerformanceGraph::SetPenWidth, width);
}

} // namespace quorvane
