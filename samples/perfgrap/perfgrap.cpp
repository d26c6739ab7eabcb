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

} // namespace quorvane
