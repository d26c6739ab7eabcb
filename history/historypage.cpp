// SPDX-License-Identifier: MIT
#include "history/historypage.h"

#include "core/files.h"
#include "display/regional.h"
#include "history/historyexport.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace quorvane {

namespace {

constexpr HistoryRange kRanges[] = {HistoryRange::Hour, HistoryRange::Day, HistoryRange::Week,
                                    HistoryRange::ThirtyDays};

std::int64_t systemNowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// A number text as received, with the regional separator in place of the
// service's "."; any other text is shown as it is.
QString regionalNumberText(const std::string& text)
{
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const char separator = regionalDecimalSeparator();
    if (separator != '.')
        shown.replace(QLatin1Char('.'), QLatin1Char(separator));
    return shown;
}

int priceDecimals(const std::vector<HistoryPoint>& points)
{
    if (points.empty())
        return 2;
    const std::string& price = points.back().price;
    const std::size_t dot = price.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(price.size() - dot - 1);
}

bool earlierThan(const HistoryPoint& p, std::int64_t ms)
{
    return p.receivedUtcMs < ms;
}

} // namespace

HistoryPage::HistoryPage(const HistorySource* source, Services services, QWidget* parent)
    : QWidget(parent), m_source(source), m_services(std::move(services))
{
    if (!m_services.nowUtcMs)
        m_services.nowUtcMs = systemNowMs;
    if (!m_services.saveFileChooser)
        m_services.saveFileChooser = makeDialogSaveFileChooser();
    buildControls();
    m_chart->setToolTipText([this](std::int64_t ms) { return toolTipAt(ms); });
    connect(m_chart, &HistoryChartView::columnsChanged, this, &HistoryPage::redraw, Qt::QueuedConnection);
    updateControls();
}

HistoryPage::~HistoryPage() = default;

void HistoryPage::buildControls()
{
    m_symbolBox = new QComboBox(this);
    m_symbolBox->setObjectName(QStringLiteral("HistorySymbol"));
    m_symbolBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_rangeBox = new QComboBox(this);
    m_rangeBox->setObjectName(QStringLiteral("HistoryRange"));
    m_rangeBox->addItems({tr("Hour"), tr("Day"), tr("Week"), tr("30 days")});
    m_rangeBox->setCurrentIndex(1);
    m_earlier = new QPushButton(QStringLiteral("<"), this);
    m_earlier->setToolTip(tr("Earlier"));
    m_later = new QPushButton(QStringLiteral(">"), this);
    m_later->setToolTip(tr("Later"));
    for (QPushButton* b : {m_earlier, m_later})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 12);
    m_export = new QPushButton(tr("Export CSV…"), this);
    m_export->setObjectName(QStringLiteral("HistoryExport"));

    auto* symbolLabel = new QLabel(tr("Symbol:"), this);
    symbolLabel->setBuddy(m_symbolBox);
    auto* rangeLabel = new QLabel(tr("Range:"), this);
    rangeLabel->setBuddy(m_rangeBox);
    auto* row = new QHBoxLayout;
    row->addWidget(symbolLabel);
    row->addWidget(m_symbolBox);
    row->addSpacing(12);
    row->addWidget(rangeLabel);
    row->addWidget(m_rangeBox);
    row->addWidget(m_earlier);
    row->addWidget(m_later);
    row->addStretch(1);
    row->addWidget(m_export);

    m_chart = new HistoryChartView(this);
    m_empty = new QLabel(tr("No history yet"), this);
    m_empty->setObjectName(QStringLiteral("HistoryEmpty"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_chart);
    m_stack->addWidget(m_empty);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("HistoryNote"));
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addLayout(row);
    page->addWidget(m_stack, 1);
    page->addWidget(m_note);

    connect(m_symbolBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < m_symbols.size())
            setSymbol(QString::fromStdString(m_symbols[static_cast<std::size_t>(index)]));
    });
    connect(m_rangeBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < 4)
            setRange(kRanges[index]);
    });
    connect(m_earlier, &QPushButton::clicked, this, &HistoryPage::showEarlier);
    connect(m_later, &QPushButton::clicked, this, &HistoryPage::showLater);
    connect(m_export, &QPushButton::clicked, this, &HistoryPage::exportCsv);
}

QString HistoryPage::symbol() const
{
    return QString::fromStdString(m_symbol);
}

void HistoryPage::setSymbol(const QString& shortName)
{
    const std::string name = shortName.toStdString();
    const auto it = std::find(m_symbols.begin(), m_symbols.end(), name);
    if (it == m_symbols.end() || name == m_symbol)
        return;
    m_symbol = name;
    m_symbolBox->setCurrentIndex(static_cast<int>(it - m_symbols.begin()));
    if (m_latest)
        load(m_services.nowUtcMs(), true);
    else
        load(m_toMs, false);
}

void HistoryPage::setRange(HistoryRange range)
{
    if (range == m_range && m_latest)
        return;
    m_range = range;
    m_rangeBox->setCurrentIndex(static_cast<int>(std::find(std::begin(kRanges), std::end(kRanges), range)
                                                 - std::begin(kRanges)));
    load(m_services.nowUtcMs(), true);
}

void HistoryPage::setMaximumSignal(double maximum)
{
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    m_chart->setMaximumSignal(maximum);
}

void HistoryPage::setSource(const HistorySource* source)
{
    m_source = source;
    m_symbols.clear();
    m_symbol.clear();
    m_points.clear();
    m_symbolBox->clear();
    m_stale = true;
    updateControls();
    historyChanged();
}

void HistoryPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        historyChanged();
}

void HistoryPage::historyChanged()
{
    if (!m_source)
        return;
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    const bool wasStale = m_stale;
    m_stale = false;
    // Symbols come and go rarely: the list is read when the page is shown and
    // while it is still empty, not at every poll.
    if (wasStale || m_symbols.empty()) {
        const std::string before = m_symbol;
        refreshSymbols();
        if (m_symbol != before)
            return; // refreshSymbols loaded the new symbol
    }
    if (m_latest && !m_symbol.empty())
        followLatest();
}

void HistoryPage::refreshSymbols()
{
    std::vector<std::string> symbols = m_source->symbols();
    if (symbols != m_symbols) {
        m_symbols = std::move(symbols);
        const QSignalBlocker block(m_symbolBox);
        m_symbolBox->clear();
        for (const std::string& s : m_symbols)
            m_symbolBox->addItem(QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())));
    }
    const auto kept = std::find(m_symbols.begin(), m_symbols.end(), m_symbol);
    if (kept != m_symbols.end()) {
        const QSignalBlocker block(m_symbolBox);
        m_symbolBox->setCurrentIndex(static_cast<int>(kept - m_symbols.begin()));
    } else {
        m_symbol = m_symbols.empty() ? std::string() : m_symbols.front();
        m_points.clear();
        if (!m_symbol.empty())
            load(m_services.nowUtcMs(), true);
    }
    updateControls();
}

void HistoryPage::load(std::int64_t toMs, bool latest)
{
    m_latest = latest;
    m_toMs = toMs;
    m_fromMs = toMs - rangeLengthMs(m_range);
    m_points = m_source && !m_symbol.empty() ? m_source->points(m_symbol, m_fromMs, m_toMs)
                                             : std::vector<HistoryPoint>();
    redraw();
}

void HistoryPage::followLatest()
{
    const std::int64_t now = m_services.nowUtcMs();
    const std::int64_t length = rangeLengthMs(m_range);
    // Only the new part is read while the old stretch still overlaps the new
    // one; after a jump of the clock (either way) everything is read again.
    if (now < m_toMs || now - m_toMs >= length) {
        load(now, true);
        return;
    }
    std::vector<HistoryPoint> fresh = m_source->points(m_symbol, m_toMs, now);
    m_toMs = now;
    m_fromMs = now - length;
    m_points.erase(m_points.begin(), std::lower_bound(m_points.begin(), m_points.end(), m_fromMs, earlierThan));
    m_points.insert(m_points.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    redraw();
}

void HistoryPage::showEarlier()
{
    if (m_symbol.empty())
        return;
    load(m_toMs - rangeLengthMs(m_range), false);
}

void HistoryPage::showLater()
{
    if (m_symbol.empty() || m_latest)
        return;
    const std::int64_t now = m_services.nowUtcMs();
    const std::int64_t length = rangeLengthMs(m_range);
    const std::int64_t to = m_toMs + length;
    // A stretch that overlaps the latest one is the latest one: "Later" after
    // "Earlier" comes back to following the polls.
    if (now - to < length)
        load(now, true);
    else
        load(to, false);
}

void HistoryPage::redraw()
{
    const HistorySeries series = reduceToColumns(m_points, m_fromMs, m_toMs, m_chart->columns());
    m_chart->showSeries(series, m_fromMs, m_toMs, m_range, priceDecimals(m_points));
    const QLocale locale = QLocale::system();
    if (m_points.empty())
        setNote(tr("No records in this range"));
    else
        setNote(tr("%1 records").arg(locale.toString(static_cast<qlonglong>(m_points.size()))));
    updateControls();
}

void HistoryPage::updateControls()
{
    const bool any = m_source && !m_symbols.empty();
    m_stack->setCurrentWidget(any ? static_cast<QWidget*>(m_chart) : m_empty);
    for (QWidget* w : {static_cast<QWidget*>(m_symbolBox), static_cast<QWidget*>(m_rangeBox),
                       static_cast<QWidget*>(m_earlier)})
        w->setEnabled(any);
    m_later->setEnabled(any && !m_latest);
    m_export->setEnabled(any && !m_points.empty());
    if (!any)
        m_note->clear();
}

void HistoryPage::setNote(const QString& text)
{
    m_note->setText(text);
}

QString HistoryPage::toolTipAt(std::int64_t utcMs) const
{
    if (m_points.empty())
        return QString();
    auto it = std::lower_bound(m_points.begin(), m_points.end(), utcMs, earlierThan);
    if (it == m_points.end() || (it != m_points.begin() && utcMs - std::prev(it)->receivedUtcMs < it->receivedUtcMs - utcMs))
        --it;
    const QString time
        = QDateTime::fromMSecsSinceEpoch(it->receivedUtcMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return tr("%1\nSignal: %2\nPrice: %3").arg(time, regionalNumberText(it->signalText), regionalNumberText(it->price));
}

std::string HistoryPage::shownCsv() const
{
    return historyCsv(m_points);
}

void HistoryPage::exportCsv()
{
    if (m_points.empty())
        return;
    // The symbol is the service's text: a "/" in it ("EUR/USD") would send the
    // dialog to another folder.
    QString name = QString::fromStdString(m_symbol);
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    const QString suggested = QStringLiteral("%1-%2.csv")
                                  .arg(name,
                                       QDateTime::fromMSecsSinceEpoch(m_toMs).toString(QStringLiteral("yyyyMMdd-HHmm")));
    const std::optional<QString> path = m_services.saveFileChooser->chooseSaveFile(
        this, tr("Export CSV"), suggested, tr("CSV files (*.csv);;All files (*)"));
    if (!path)
        return;
    const FileResult written = replaceFile(QFile::encodeName(*path).toStdString(), shownCsv());
    if (written)
        setNote(tr("%1 records saved to %2").arg(QLocale::system().toString(static_cast<qlonglong>(m_points.size())), *path));
    else
        setNote(tr("Could not save %1: %2").arg(*path, QString::fromLocal8Bit(std::strerror(written.error))));
}

} // namespace quorvane
