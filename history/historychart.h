// SPDX-License-Identifier: MIT
#pragma once
// The chart of the History page: the signal over time on the left axis, the
// lamp thresholds as bands behind it, the price on the right axis, and a
// tooltip for the record under the pointer.

#include "history/historyreduce.h"

#include <QChartView>

#include <cstdint>
#include <functional>

class QAreaSeries;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace quorvane {

/// Which stretch of time the chart shows; decides the time axis' labels.
enum class HistoryRange { Hour, Day, Week, ThirtyDays };

/// The length of a range in ms.
std::int64_t rangeLengthMs(HistoryRange range);

class HistoryChartView : public QChartView {
    Q_OBJECT
public:
    /// The tooltip text for a moment (ms since 1970 UTC); empty: no tooltip.
    using ToolTipText = std::function<QString(std::int64_t)>;

    explicit HistoryChartView(QWidget* parent = nullptr);

    /// Shows `series` over [fromMs, toMs) with the bands of `maximum`; the
    /// price axis shows `priceDecimals` digits after the separator.
    void showSeries(const HistorySeries& series, std::int64_t fromMs, std::int64_t toMs, HistoryRange range,
                    int priceDecimals);
    /// Moves the bands to k/8 of `maximum`, k = 1..8, on both sides.
    void setMaximumSignal(double maximum);
    /// Where the tooltip's text comes from.
    void setToolTipText(ToolTipText text) { m_toolTipText = std::move(text); }
    /// How many columns the plot area has in device pixels: what the reduction aims at.
    int columns() const;
    /// The largest |signal| the left axis shows (at least 1 and the maximum).
    double signalLimit() const { return m_limit; }

signals:
    /// The plot area's width in device pixels changed; the data may be reduced anew.
    void columnsChanged();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void placeBands();

    QLineSeries* m_signal = nullptr;
    QLineSeries* m_price = nullptr;
    std::vector<QAreaSeries*> m_bands; ///< long bands 1..8, then short bands 1..8
    QDateTimeAxis* m_time = nullptr;
    QValueAxis* m_signalAxis = nullptr;
    QValueAxis* m_priceAxis = nullptr;
    ToolTipText m_toolTipText;
    double m_maximum = 0.25;
    double m_limit = 1;
    double m_dataLimit = 0;
    std::int64_t m_fromMs = 0;
    std::int64_t m_toMs = 1;
    int m_columns = 0;
};

} // namespace quorvane
