// SPDX-License-Identifier: MIT
#include "ccalendar.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quorvane {

using namespace calendar;

TCCalendar::TCCalendar(QWidget* parent, TodayFunction today)
    : QWidget(parent)
    , m_today(today ? std::move(today) : TodayFunction(&QDate::currentDate))
{
    setFocusPolicy(Qt::StrongFocus);
    SetStartOfWeek(1);
    setDateFromToday();
    UpdateCalendar();
}

void TCCalendar::setDateFromToday()
{
    const QDate today = m_today();
    if (isValidDate(today.year(), today.month(), today.day()))
        m_date = encodeDate(today.year(), today.month(), today.day());
}

void TCCalendar::SeTCCalendarDate(double value)
{
    const double day = std::trunc(value);
    if (!std::isfinite(day) || day < minSerial() || day > maxSerial())
        throw EDateEncodeError();
    m_date = static_cast<int>(day);
    UpdateCalendar();
    Change();
}

QDate TCCalendar::GetDate() const
{
    const Ymd date = decodeDate(m_date);
    return QDate(date.year, date.month, date.day);
}

void TCCalendar::SetDate(const QDate& date)
{
    if (!date.isValid() || date == GetDate())
        return;
    SeTCCalendarDate(encodeDate(date.year(), date.month(), date.day()));
}

int TCCalendar::GetDateElement(int element) const
{
    const Ymd date = decodeDate(m_date);
    switch (element) {
    case 1:
        return date.year;
    case 2:
        return date.month;
    case 3:
        return date.day;
    default:
        return -1;
    }
}

void TCCalendar::SetDateElement(int element, int value)
{
    if (value <= 0)
        return;
    Ymd date = decodeDate(m_date);
    bool replaced = false;
    switch (element) {
    case 1:
        if (value != date.year) {
            date.year = value;
            replaced = true;
        }
        break;
    case 2:
        if (value <= 12 && value != date.month) {
            date.month = value;
            replaced = true;
        }
        break;
    case 3:
        if (value <= DaysThisMonth() && value != date.day) {
            date.day = value;
            replaced = true;
        }
        break;
    default:
        break;
    }
    if (!replaced)
        return;
    // Encode first: a date that does not exist leaves everything as it was.
    m_date = encodeDate(date.year, date.month, date.day);
    m_useCurrentDate = false;
    UpdateCalendar();
    Change();
}

QString TCCalendar::GetCellText(int column, int row) const
{
    if (column < 0 || column > 6 || row < 0 || row > 6)
        return QString();
    if (row == 0) {
        const int weekday = columnWeekday(m_startOfWeek, column);
        // QLocale counts 1 Monday .. 7 Sunday.
        return locale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
    }
    const int n = cellDayNumber(column, row, m_monthOffset);
    if (n < 1 || n > DaysThisMonth())
        return QString();
    return QString::number(n);
}

bool TCCalendar::IsLeapYear(int year) const
{
    return calendar::IsLeapYear(year);
}

int TCCalendar::DaysPerMonth(int year, int month) const
{
    return calendar::DaysPerMonth(year, month);
}

int TCCalendar::DaysThisMonth() const
{
    const Ymd date = decodeDate(m_date);
    return DaysPerMonth(date.year, date.month);
}

void TCCalendar::UpdateCalendar()
{
    const Ymd date = decodeDate(m_date);
    const int first = m_date - (date.day - 1);
    m_monthOffset = monthOffset(dayOfWeek(first), m_startOfWeek);
    m_col = dayColumn(date.day, m_monthOffset);
    m_row = dayRow(date.day, m_monthOffset);
    invalidate();
}

void TCCalendar::Change()
{
    emit OnChange(this);
}

bool TCCalendar::SelectCell(int column, int row)
{
    if (m_readOnly)
        return false;
    if (GetCellText(column, row).isEmpty())
        return false;
    // The grid's own rule: the header row is fixed and never selected.
    return row >= 1 && row <= 6 && column >= 0 && column <= 6;
}

void TCCalendar::Click()
{
    const QString text = GetCellText(m_col, m_row);
    if (!text.isEmpty() && m_row >= 1)
        SetDay(text.toInt());
}

void TCCalendar::NextMonth()
{
    stepMonth(1);
}

void TCCalendar::PrevMonth()
{
    stepMonth(-1);
}

void TCCalendar::NextYear()
{
    stepYear(1);
}

void TCCalendar::PrevYear()
{
    stepYear(-1);
}

void TCCalendar::stepMonth(int delta)
{
    const Ymd date = changeMonth(decodeDate(m_date), delta);
    SeTCCalendarDate(encodeDate(date.year, date.month, date.day));
}

void TCCalendar::stepYear(int delta)
{
    if (IsLeapYear(Year()) && Month() == 2 && Day() == 29)
        SetDay(28);
    SetYear(Year() + delta);
}

void TCCalendar::SetStartOfWeek(int value)
{
    const auto normalised = static_cast<std::int16_t>(normaliseStartOfWeek(value));
    if (normalised == m_startOfWeek)
        return;
    m_startOfWeek = normalised;
    UpdateCalendar();
}

void TCCalendar::SetUseCurrentDate(bool value)
{
    if (value == m_useCurrentDate)
        return;
    m_useCurrentDate = value;
    if (value) {
        setDateFromToday();
        UpdateCalendar();
    }
}

void TCCalendar::SetGridLineWidth(int value)
{
    if (value < 0 || value == m_gridLineWidth)
        return;
    m_gridLineWidth = value;
    layoutCells();
}

QRect TCCalendar::cellRect(int column, int row) const
{
    return QRect(column * (m_colWidth + m_gridLineWidth), row * (m_rowHeight + m_gridLineWidth),
                 m_colWidth, m_rowHeight);
}

QPoint TCCalendar::cellAt(QPoint pos) const
{
    const int column = pos.x() / (m_colWidth + m_gridLineWidth);
    const int row = pos.y() / (m_rowHeight + m_gridLineWidth);
    if (pos.x() < 0 || pos.y() < 0 || column > 6 || row > 6)
        return QPoint(-1, -1);
    return QPoint(column, row);
}

void TCCalendar::moveByUser(int column, int row)
{
    if (column < 0 || column > 6 || row < 0 || row > 6)
        return;
    if (!SelectCell(column, row))
        return;
    m_col = column;
    m_row = row;
    invalidate();
    Click();
}

void TCCalendar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint cell = cellAt(event->position().toPoint());
    moveByUser(cell.x(), cell.y());
}

void TCCalendar::keyPressEvent(QKeyEvent* event)
{
    int column = m_col;
    int row = m_row;
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Home:
        column = 0;
        break;
    case Qt::Key_End:
        column = 6;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    moveByUser(column, row);
    event->accept();
}

void TCCalendar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutCells();
}

void TCCalendar::layoutCells()
{
    // The 7 x 7 cells fill the control.
    m_colWidth = std::max(1, (width() - 6 * m_gridLineWidth) / 7);
    m_rowHeight = std::max(1, (height() - 6 * m_gridLineWidth) / 7);
    invalidate();
}

void TCCalendar::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    invalidate();
}

void TCCalendar::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    invalidate();
}

void TCCalendar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::LocaleChange || event->type() == QEvent::EnabledChange)
        invalidate();
}

QSize TCCalendar::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int cellWidth = std::max(metrics.horizontalAdvance(QStringLiteral("Wed")),
                                   metrics.horizontalAdvance(QStringLiteral("30")))
        + 12;
    const int cellHeight = metrics.height() + 8;
    return QSize(7 * cellWidth + 6 * m_gridLineWidth, 7 * cellHeight + 6 * m_gridLineWidth);
}

QSize TCCalendar::minimumSizeHint() const
{
    return QSize(7 * 12, 7 * 10);
}

void TCCalendar::invalidate()
{
    m_dirty = true;
    update();
}

void TCCalendar::render()
{
    const qreal ratio = devicePixelRatioF();
    m_cache = QPixmap(size() * ratio);
    m_cache.setDevicePixelRatio(ratio);
    const QPalette& pal = palette();
    m_cache.fill(pal.color(QPalette::Window));
    QPainter painter(&m_cache);
    // Grid lines show between the cells; the division remainder stays plain.
    painter.fillRect(QRect(0, 0, 7 * m_colWidth + 6 * m_gridLineWidth,
                           7 * m_rowHeight + 6 * m_gridLineWidth),
                     pal.color(QPalette::Mid));
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 7; ++column) {
            const QRect cell = cellRect(column, row);
            QColor background = pal.color(QPalette::Base);
            QColor foreground = pal.color(QPalette::Text);
            if (row == 0) {
                background = pal.color(QPalette::Button);
                foreground = pal.color(QPalette::ButtonText);
            } else if (column == m_col && row == m_row) {
                // The focused cell is always drawn selected.
                background = pal.color(QPalette::Highlight);
                foreground = pal.color(QPalette::HighlightedText);
            }
            if (!isEnabled())
                foreground = pal.color(QPalette::Disabled, QPalette::Text);
            painter.fillRect(cell, background);
            const QString text = GetCellText(column, row);
            const int x = cell.left() + (cell.width() - metrics.horizontalAdvance(text)) / 2;
            const int y = cell.top() + (cell.height() - metrics.height()) / 2;
            painter.save();
            painter.setClipRect(cell);
            painter.setPen(foreground);
            painter.drawText(QPoint(x, y + metrics.ascent()), text);
            painter.restore();
            if (row == m_row && column == m_col && hasFocus()) {
                painter.setPen(QPen(foreground, 1, Qt::DotLine));
                painter.drawRect(cell.adjusted(1, 1, -2, -2));
            }
        }
    }
    m_dirty = false;
}

void TCCalendar::paintEvent(QPaintEvent*)
{
    if (m_dirty || m_cache.size() != size() * devicePixelRatioF())
        render();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
}

void TCCalendar::setDay(int value)
{
    writeProperty(m_report, this, &TCCalendar::SetDay, value);
}

void TCCalendar::setMonth(int value)
{
    writeProperty(m_report, this, &TCCalendar::SetMonth, value);
}

void TCCalendar::setYear(int value)
{
    writeProperty(m_report, this, &TCCalendar::SetYear, value);
}

void TCCalendar::setDate(const QDate& date)
{
    writeProperty(m_report, this, &TCCalendar::SetDate, date);
}

void TCCalendar::setCalendarDate(double value)
{
    writeProperty(m_report, this, &TCCalendar::SeTCCalendarDate, value);
}

void TCCalendar::setReadOnly(bool value)
{
    writeProperty(m_report, this, &TCCalendar::SetReadOnly, value);
}

void TCCalendar::setStartOfWeek(int value)
{
    writeProperty(m_report, this, &TCCalendar::SetStartOfWeek, value);
}

void TCCalendar::setUseCurrentDate(bool value)
{
    writeProperty(m_report, this, &TCCalendar::SetUseCurrentDate, value);
}

void TCCalendar::setGridLineWidth(int value)
{
    writeProperty(m_report, this, &TCCalendar::SetGridLineWidth, value);
}

} // namespace quorvane
