// SPDX-License-Identifier: MIT
#include "timerspeedbutton.h"

#include "spinrules.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace quorvane {

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent)
    : QWidget(parent)
    , m_timerFactory(&makeQtRepeatTimer)
{
    // A speed button never takes the keyboard focus itself; its owner does.
    setFocusPolicy(Qt::NoFocus);
}

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::SetFocusRect(bool on)
{
    if (m_focusRect == on)
        return;
    m_focusRect = on;
    invalidate();
}

void TTimerSpeedButton::SetAllowTimer(bool on)
{
    m_allowTimer = on;
}

void TTimerSpeedButton::SetGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    invalidate();
}

void TTimerSpeedButton::setTimerFactory(RepeatTimerFactory factory)
{
    m_timerFactory = std::move(factory);
}

QSize TTimerSpeedButton::sizeHint() const
{
    return QSize(20, 12);
}

void TTimerSpeedButton::Click()
{
    emit clicked();
}

void TTimerSpeedButton::TimerExpired()
{
    m_timer->setInterval(kRepeatMs);
    if (!(m_down && m_dragging))
        return;
    try {
        Click();
    } catch (...) {
        // A failing click must not keep firing while the button is held.
        m_timer->stop();
        throw;
    }
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_dragging = true;
        setDown(true);
    }
    emit mouseDown(event->button(), event->modifiers(), event->position().toPoint());
    if (m_allowTimer) {
        if (!m_timer) {
            m_timer = m_timerFactory();
            // The tick enters from the event loop: nothing may escape it.
            m_timer->onTimeout = [this] { runReported(m_report, [this] { TimerExpired(); }); };
        }
        m_timer->start(kFirstRepeatMs);
    }
}

void TTimerSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        setDown(rect().contains(event->position().toPoint()));
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        const bool over = rect().contains(event->position().toPoint());
        setDown(false);
        if (over) {
            runReported(m_report, [this] {
                try {
                    Click();
                } catch (...) {
                    if (m_timer)
                        m_timer->stop();
                    throw;
                }
            });
        }
    }
    if (m_timer)
        m_timer->stop();
}

void TTimerSpeedButton::setDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    invalidate();
}

void TTimerSpeedButton::invalidate()
{
    m_dirty = true;
    update();
}

void TTimerSpeedButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_dirty = true;
}

void TTimerSpeedButton::abandonPress()
{
    // A button that is hidden or disabled while held never sees the release;
    // without this it would go on clicking by itself.
    m_dragging = false;
    setDown(false);
    if (m_timer)
        m_timer->stop();
}

void TTimerSpeedButton::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    abandonPress();
}

void TTimerSpeedButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        abandonPress();
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::StyleChange)
        invalidate();
}

void TTimerSpeedButton::render()
{
    const qreal ratio = devicePixelRatioF();
    m_cache = QPixmap(size() * ratio);
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(palette().color(QPalette::Button));
    QPainter painter(&m_cache);

    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = rect();
    option.state |= m_down ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);

    const int shift = m_down ? 1 : 0;
    if (!m_glyph.isNull()) {
        QImage glyph = spin::transparentGlyph(m_glyph);
        if (!isEnabled()) {
            // Disabled glyphs are drawn in the shadow colour, shape only.
            const QColor shade = palette().color(QPalette::Disabled, QPalette::WindowText);
            for (int y = 0; y < glyph.height(); ++y)
                for (int x = 0; x < glyph.width(); ++x)
                    if (qAlpha(glyph.pixel(x, y)) != 0)
                        glyph.setPixelColor(x, y, shade);
        }
        const QPoint at((width() - glyph.width()) / 2 + shift,
                        (height() - glyph.height()) / 2 + shift);
        painter.drawImage(at, glyph);
    }

    if (m_focusRect) {
        QRect r = rect().adjusted(3, 3, -3, -3);
        if (m_down)
            r.translate(1, 1);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    m_dirty = false;
}

void TTimerSpeedButton::paintEvent(QPaintEvent*)
{
    if (m_dirty || m_cache.size() != size() * devicePixelRatioF())
        render();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
}

} // namespace quorvane
