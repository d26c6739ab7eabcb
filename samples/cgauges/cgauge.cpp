// SPDX-License-Identifier: MIT
#include "cgauge.h"

#include <QEvent>
#include <QPainter>

namespace quorvane {

TCGauge::TCGauge(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_look.color = palette().color(QPalette::Window);
    m_look.font = font();
    resize(100, 100);
    rebuild();
}

void TCGauge::SetKind(TCGaugeKind kind)
{
    if (kind == m_look.kind)
        return;
    m_look.kind = kind;
    rebuild();
}

void TCGauge::SetShowText(bool show)
{
    if (show == m_look.showText)
        return;
    m_look.showText = show;
    rebuild();
}

void TCGauge::SetBorderStyle(TBorderStyle style)
{
    if (style == m_look.borderStyle)
        return;
    m_look.borderStyle = style;
    rebuild();
}

void TCGauge::SetForeColor(const QColor& color)
{
    if (color == m_look.foreColor)
        return;
    m_look.foreColor = color;
    rebuild();
}

void TCGauge::SetBackColor(const QColor& color)
{
    if (color == m_look.backColor)
        return;
    m_look.backColor = color;
    rebuild();
}

void TCGauge::SetColor(const QColor& color)
{
    // A colour of the user's own outlasts palette changes, even one that
    // happens to equal the palette's colour now.
    m_colorSet = color.isValid();
    if (!m_colorSet) {
        followPalette();
        return;
    }
    if (color == m_look.color)
        return;
    m_look.color = color;
    rebuild();
}

void TCGauge::followPalette()
{
    const QColor window = palette().color(QPalette::Window);
    if (window == m_look.color)
        return;
    m_look.color = window;
    rebuild();
}

void TCGauge::SetMinValue(std::int32_t value)
{
    if (m_range.SetMinValue(value))
        rebuild();
}

void TCGauge::SetMaxValue(std::int32_t value)
{
    if (m_range.SetMaxValue(value))
        rebuild();
}

void TCGauge::SetProgress(std::int32_t value)
{
    if (m_range.SetProgress(value))
        rebuild();
}

void TCGauge::AddProgress(std::int32_t amount)
{
    // Summed in 64 bits: near the 32-bit limits the clamp must see the true sum.
    m_range.SetProgress(static_cast<std::int64_t>(m_range.GetProgress()) + amount);
    rebuild();
}

void TCGauge::paintEvent(QPaintEvent*)
{
    // A move to a screen of another density renders once; otherwise this only copies.
    if (!qFuzzyCompare(m_picture.devicePixelRatio(), devicePixelRatioF()))
        render();
    QPainter(this).drawImage(0, 0, m_picture);
}

void TCGauge::resizeEvent(QResizeEvent*)
{
    rebuild();
}

void TCGauge::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_look.font = font();
        rebuild();
    }
    if (event->type() == QEvent::PaletteChange && !m_colorSet)
        followPalette();
    QWidget::changeEvent(event);
}

void TCGauge::rebuild()
{
    render();
    update();
}

void TCGauge::render()
{
    m_picture = renderGauge(m_look, width(), height(), m_range.GetPercentDone(), devicePixelRatioF());
    ++m_builds;
}

void TCGauge::setKind(TCGaugeKind kind)
{
    writeProperty(m_report, this, &TCGauge::SetKind, kind);
}

void TCGauge::setShowText(bool show)
{
    writeProperty(m_report, this, &TCGauge::SetShowText, show);
}

void TCGauge::setBorderStyle(TBorderStyle style)
{
    writeProperty(m_report, this, &TCGauge::SetBorderStyle, style);
}

void TCGauge::setForeColor(const QColor& color)
{
    writeProperty(m_report, this, &TCGauge::SetForeColor, color);
}

void TCGauge::setBackColor(const QColor& color)
{
    writeProperty(m_report, this, &TCGauge::SetBackColor, color);
}

void TCGauge::setColor(const QColor& color)
{
    writeProperty(m_report, this, &TCGauge::SetColor, color);
}

void TCGauge::setMinValue(int value)
{
    writeProperty(m_report, this, &TCGauge::SetMinValue, value);
}

void TCGauge::setMaxValue(int value)
{
    writeProperty(m_report, this, &TCGauge::SetMaxValue, value);
}

void TCGauge::setProgress(int value)
{
    writeProperty(m_report, this, &TCGauge::SetProgress, value);
}

} // namespace quorvane
