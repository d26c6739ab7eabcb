// SPDX-License-Identifier: MIT
#include "history/historychart.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr std::int64_t kHourMs = 3600 * 1000;

const QColor kSignalColour(0x1f, 0x4e, 0x9a);
const QColor kPriceColour(0x80, 0x80, 0x80);

QList<QPointF> toPoints(const std::vector<SeriesPoint>& samples)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(samples.size()));
    for (const SeriesPoint& s : samples)
        points.append(QPointF(static_cast<qreal>(s.timeMs), s.value));
    return points;
}

QString timeFormat(HistoryRange range)
{
    switch (range) {
    case HistoryRange::Hour:
    case HistoryRange::Day:
        return QStringLiteral("HH:mm");
    case HistoryRange::Week:
        return QStringLiteral("MM-dd HH:mm");
    case HistoryRange::ThirtyDays:
        break;
    }
    return QStringLiteral("MM-dd");
}

} // namespace

std::int64_t rangeLengthMs(HistoryRange range)
{
    switch (range) {
    case HistoryRange::Hour:
        return kHourMs;
    case HistoryRange::Day:
        return 24 * kHourMs;
    case HistoryRange::Week:
        return 7 * 24 * kHourMs;
    case HistoryRange::ThirtyDays:
        break;
    }
    return 30 * 24 * kHourMs;
}

HistoryChartView::HistoryChartView(QWidget* parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    QChart* c = chart();
    c->setLocalizeNumbers(true);
    c->setLocale(QLocale::system());
    c->setMargins(QMargins(4, 4, 4, 4));
    c->legend()->setAlignment(Qt::AlignBottom);

    m_time = new QDateTimeAxis(c);
    m_time->setTickCount(7);
    c->addAxis(m_time, Qt::AlignBottom);
    m_signalAxis = new QValueAxis(c);
    m_signalAxis->setTitleText(tr("Signal"));
    m_signalAxis->setLabelFormat(QStringLiteral("%.2f"));
    m_signalAxis->setTickCount(9);
    c->addAxis(m_signalAxis, Qt::AlignLeft);
    m_priceAxis = new QValueAxis(c);
    m_priceAxis->setTitleText(tr("Price"));
    m_priceAxis->setTickCount(5);
    m_priceAxis->setGridLineVisible(false);
    c->addAxis(m_priceAxis, Qt::AlignRight);

    // Bands first, so the lines are drawn over them. Band k holds the signals
    // that light k lamps: the stronger, the deeper its colour.
    for (const bool isLong : {true, false}) {
        for (int k = 1; k <= 8; ++k) {
            auto* upper = new QLineSeries;
            auto* lower = new QLineSeries;
            auto* band = new QAreaSeries(upper, lower);
            upper->setParent(band);
            lower->setParent(band);
            band->setObjectName(QStringLiteral("%1Band%2").arg(isLong ? QStringLiteral("long") : QStringLiteral("short")).arg(k));
            QColor colour = isLong ? QColor(0, 160, 0) : QColor(220, 0, 0);
            colour.setAlpha(10 + 9 * k);
            band->setBrush(colour);
            band->setPen(Qt::NoPen);
            c->addSeries(band);
            band->attachAxis(m_time);
            band->attachAxis(m_signalAxis);
            m_bands.push_back(band);
        }
    }
    m_price = new QLineSeries;
    m_price->setName(tr("Price"));
    m_price->setPen(QPen(kPriceColour, 1));
    c->addSeries(m_price);
    m_price->attachAxis(m_time);
    m_price->attachAxis(m_priceAxis);
    m_signal = new QLineSeries;
    m_signal->setName(tr("Signal"));
    m_signal->setPen(QPen(kSignalColour, 1.5));
    c->addSeries(m_signal);
    m_signal->attachAxis(m_time);
    m_signal->attachAxis(m_signalAxis);
    for (QAreaSeries* band : m_bands) {
        for (QLegendMarker* marker : c->legend()->markers(band))
            marker->setVisible(false);
    }
    connect(c, &QChart::plotAreaChanged, this, [this] {
        if (columns() != m_columns)
            emit columnsChanged();
    });
    placeBands();
}

int HistoryChartView::columns() const
{
    const int width = qRound(chart()->plotArea().width() * devicePixelRatioF());
    // Before the first layout the plot area is empty: aim at a wide chart.
    return width > 0 ? width : 1600;
}

void HistoryChartView::showSeries(const HistorySeries& series, std::int64_t fromMs, std::int64_t toMs,
                                  HistoryRange range, int priceDecimals)
{
    m_columns = columns();
    m_fromMs = fromMs;
    m_toMs = std::max(toMs, fromMs + 1);
    m_dataLimit = 0;
    for (const SeriesPoint& s : series.signal)
        m_dataLimit = std::max(m_dataLimit, std::fabs(s.value));
    m_signal->replace(toPoints(series.signal));
    m_price->replace(toPoints(series.price));

    m_time->setFormat(timeFormat(range));
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(m_fromMs), QDateTime::fromMSecsSinceEpoch(m_toMs));
    m_priceAxis->setVisible(!series.price.empty());
    if (!series.price.empty()) {
        const auto [low, high] = std::minmax_element(series.price.begin(), series.price.end(),
                                                     [](const SeriesPoint& a, const SeriesPoint& b) { return a.value < b.value; });
        const double pad = std::max((high->value - low->value) * 0.05, std::pow(10.0, -priceDecimals));
        m_priceAxis->setLabelFormat(QStringLiteral("%.%1f").arg(std::clamp(priceDecimals, 0, 6)));
        m_priceAxis->setRange(low->value - pad, high->value + pad);
    }
    placeBands();
}

void HistoryChartView::setMaximumSignal(double maximum)
{
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    placeBands();
}

void HistoryChartView::placeBands()
{
    m_limit = std::max({1.0, m_maximum, m_dataLimit});
    m_signalAxis->setRange(-m_limit, m_limit);
    const auto from = static_cast<qreal>(m_fromMs);
    const auto to = static_cast<qreal>(m_toMs);
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        const int k = static_cast<int>(i % 8) + 1;
        const double side = i < 8 ? 1 : -1;
        // A maximum of 0 or below lights all eight lamps for any signal: only
        // the last band is left, from 0 outward.
        const double low = std::max(0.0, m_maximum * k / 8);
        const double high = k == 8 ? m_limit : std::max(0.0, m_maximum * (k + 1) / 8);
        m_bands[i]->lowerSeries()->replace({QPointF(from, side * low), QPointF(to, side * low)});
        m_bands[i]->upperSeries()->replace({QPointF(from, side * high), QPointF(to, side * high)});
    }
}

void HistoryChartView::mouseMoveEvent(QMouseEvent* event)
{
    QChartView::mouseMoveEvent(event);
    const QPointF at = event->position();
    if (!m_toolTipText || !chart()->plotArea().contains(at)) {
        QToolTip::hideText();
        return;
    }
    const QPointF value = chart()->mapToValue(at, m_signal);
    const QString text = m_toolTipText(static_cast<std::int64_t>(std::llround(value.x())));
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

void HistoryChartView::leaveEvent(QEvent* event)
{
    QToolTip::hideText();
    QChartView::leaveEvent(event);
}

} // namespace quorvane
