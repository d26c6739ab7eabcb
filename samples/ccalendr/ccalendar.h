// SPDX-License-Identifier: MIT
#pragma once
// TCCalendar: one month as a 7 x 7 grid, a header row of short weekday names
// and six week rows of day numbers. The selected cell is the calendar's day.

#include "calendarmath.h"
#include "samples/common/propertywrite.h"

#include <QDate>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace quorvane {

class TCCalendar : public QWidget {
    Q_OBJECT
    /// Day of the calendar date.
    Q_PROPERTY(int Day READ Day WRITE setDay STORED false)
    /// Month of the calendar date.
    Q_PROPERTY(int Month READ Month WRITE setMonth STORED false)
    /// Year of the calendar date.
    Q_PROPERTY(int Year READ Year WRITE setYear STORED false)
    /// The calendar date as a QDate (worth storing while UseCurrentDate is off).
    Q_PROPERTY(QDate Date READ GetDate WRITE setDate)
    /// The calendar date as a day serial (days since 30 December 1899); Date stores it.
    Q_PROPERTY(double CalendarDate READ CalendarDate WRITE setCalendarDate STORED false)
    /// While true the user cannot select cells; code still sets the date.
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    /// Weekday of column 0: 1 Monday .. 7 Sunday.
    Q_PROPERTY(int StartOfWeek READ StartOfWeek WRITE setStartOfWeek)
    /// Whether the calendar set itself to today's date.
    Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE setUseCurrentDate)
    /// Width of the grid lines in pixels.
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE setGridLineWidth)
public:
    /// Where today's date comes from; the machine's local date by default.
    using TodayFunction = std::function<QDate()>;

    /// Makes a calendar showing today (as told by `today`), weeks starting on Monday.
    explicit TCCalendar(QWidget* parent = nullptr, TodayFunction today = {});

    /// The calendar date as a day serial (days since 30 December 1899).
    double CalendarDate() const { return m_date; }
    /// Sets the date (time part dropped), lays out and notifies; UseCurrentDate is kept.
    /// Throws calendar::EDateEncodeError for a date outside years 1 to 9999.
    void SeTCCalendarDate(double value);

    /// The calendar date as a QDate.
    QDate GetDate() const;
    /// Sets the date as SeTCCalendarDate does (UseCurrentDate kept); the date
    /// it already holds and an invalid QDate change nothing. Throws
    /// calendar::EDateEncodeError for a date outside years 1 to 9999.
    void SetDate(const QDate& date);

    /// Element 1 (year), 2 (month) or 3 (day) of the date; -1 for other numbers.
    int GetDateElement(int element) const;
    /// Replaces one element; values <= 0, months > 12 and days beyond the month
    /// are ignored. Throws calendar::EDateEncodeError when the result does not exist.
    void SetDateElement(int element, int value);
    /// Day of the date.
    int Day() const { return GetDateElement(3); }
    /// Sets the day (SetDateElement 3).
    void SetDay(int value) { SetDateElement(3, value); }
    /// Month of the date.
    int Month() const { return GetDateElement(2); }
    /// Sets the month (SetDateElement 2).
    void SetMonth(int value) { SetDateElement(2, value); }
    /// Year of the date.
    int Year() const { return GetDateElement(1); }
    /// Sets the year (SetDateElement 1).
    void SetYear(int value) { SetDateElement(1, value); }

    /// Text of a cell: short weekday name in row 0, day number or empty below.
    QString GetCellText(int column, int row) const;

    /// Gregorian leap-year rule.
    virtual bool IsLeapYear(int year) const;
    /// Length of a month (1 to 12).
    virtual int DaysPerMonth(int year, int month) const;
    /// Length of the calendar date's month.
    virtual int DaysThisMonth() const;
    /// Lays out the month and moves the selection to the calendar date.
    virtual void UpdateCalendar();
    /// Calls OnChange.
    virtual void Change();
    /// Whether the grid may move its selection to a cell.
    virtual bool SelectCell(int column, int row);
    /// Reaction to a click: sets Day from the current cell's text.
    virtual void Click();

    /// One month on, day clamped to the new month.
    void NextMonth();
    /// One month back, day clamped to the new month.
    void PrevMonth();
    /// One year on; 29 February first steps to 28.
    void NextYear();
    /// One year back; 29 February first steps to 28.
    void PrevYear();

    /// Weekday of column 0: 1 Monday .. 7 Sunday.
    int StartOfWeek() const { return m_startOfWeek; }
    /// Values outside 1 to 7 become 1; a change lays the calendar out anew.
    void SetStartOfWeek(int value);
    /// Whether the calendar set itself to today's date.
    bool UseCurrentDate() const { return m_useCurrentDate; }
    /// Switching on takes today's date (no change notification).
    void SetUseCurrentDate(bool value);
    /// Whether the date is worth storing (UseCurrentDate is off).
    bool StoreCalendarDate() const { return !m_useCurrentDate; }
    /// While true the user cannot select cells; code still sets the date.
    bool ReadOnly() const { return m_readOnly; }
    /// Sets read-only.
    void SetReadOnly(bool value) { m_readOnly = value; }
    /// Width of the grid lines in pixels (default 1).
    int GridLineWidth() const { return m_gridLineWidth; }
    /// Sets the grid-line width and relays out the cells.
    void SetGridLineWidth(int value);

    /// Qt-style setters (set + the property name, as uic calls them) behind the
    /// properties: the Set operations, but a refused value is reported, not thrown.
    void setDay(int value);
    void setMonth(int value);
    void setYear(int value);
    void setDate(const QDate& date);
    void setCalendarDate(double value);
    void setReadOnly(bool value);
    void setStartOfWeek(int value);
    void setUseCurrentDate(bool value);
    void setGridLineWidth(int value);
    /// Where a value refused through the property system goes (a message box by default).
    Q_INVOKABLE void setErrorReport(const quorvane::HandlerErrorReport& report) { m_report = report; }

    /// Day number of column 0 in the first week row (1 or less).
    int MonthOffset() const { return m_monthOffset; }
    /// Column of the grid's current cell.
    int Col() const { return m_col; }
    /// Row of the grid's current cell.
    int Row() const { return m_row; }
    /// The cell under a point of the widget, or (-1, -1).
    QPoint cellAt(QPoint pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    /// The calendar date changed.
    void OnChange(quorvane::TCCalendar* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void stepMonth(int delta);
    void stepYear(int delta);
    void layoutCells();
    void moveByUser(int column, int row);
    void setDateFromToday();
    void invalidate();
    void render();
    QRect cellRect(int column, int row) const;

    TodayFunction m_today;
    int m_date = 0;
    int m_monthOffset = 1;
    std::int16_t m_startOfWeek = 0;
    bool m_useCurrentDate = true;
    bool m_readOnly = false;
    int m_col = 0;
    int m_row = 1;
    int m_gridLineWidth = 1;
    int m_colWidth = 24;
    int m_rowHeight = 18;
    bool m_dirty = true;
    QPixmap m_cache;
    HandlerErrorReport m_report = &showHandlerError;
};

} // namespace quorvane
