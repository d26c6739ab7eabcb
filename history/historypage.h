// SPDX-License-Identifier: MIT
#pragma once
// The History page: one symbol's records over the latest hour, day, week or
// 30 days (or an earlier stretch of the same length), as a chart with the
// lamp thresholds, and their export as CSV.

#include "history/historychart.h"
#include "history/historysource.h"
#include "history/savefilechooser.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace quorvane {

class HistoryPage : public QWidget {
    Q_OBJECT
    /// The short name whose records are shown; empty while there is none.
    Q_PROPERTY(QString symbol READ symbol WRITE setSymbol)
    /// The signal at which all eight lamps of a row light; the bands sit at k/8 of it.
    Q_PROPERTY(double maximumSignal READ maximumSignal WRITE setMaximumSignal)
public:
    struct Services {
        /// Now, in ms since 1970 UTC: where the latest range ends.
        std::function<std::int64_t()> nowUtcMs;
        /// Asks where "Export CSV…" writes; null: the desktop's save dialog.
        std::unique_ptr<SaveFileChooser> saveFileChooser;
    };

    /// `source` may be null (no history kept): the page then says so. It is not
    /// owned and must outlive the page. Nothing is read before the page is first shown.
    HistoryPage(const HistorySource* source, Services services, QWidget* parent = nullptr);
    ~HistoryPage() override;

    /// Reads from `source` from now on (may be null); what was shown goes.
    void setSource(const HistorySource* source);

    QString symbol() const;
    /// Shows `shortName`'s records when the picker holds it; otherwise nothing changes.
    void setSymbol(const QString& shortName);
    HistoryRange range() const { return m_range; }
    /// Shows the latest stretch of the given length.
    void setRange(HistoryRange range);
    double maximumSignal() const { return m_maximum; }
    void setMaximumSignal(double maximum);

    /// Whether the shown stretch ends now (and follows new polls).
    bool showsLatest() const { return m_latest; }
    /// The shown stretch [from, to), ms since 1970 UTC.
    std::int64_t shownFromMs() const { return m_fromMs; }
    std::int64_t shownToMs() const { return m_toMs; }
    /// The records shown, oldest first, every one of them (the chart draws a reduction).
    const std::vector<HistoryPoint>& shownPoints() const { return m_points; }

    /// The tooltip for the record nearest to `utcMs`: local receipt time, signal
    /// and price with the regional decimal separator. Empty when nothing is shown.
    QString toolTipAt(std::int64_t utcMs) const;
    /// What is shown, as CSV: the text "Export CSV…" writes.
    std::string shownCsv() const;

    HistoryChartView* chartView() const { return m_chart; }

public slots:
    /// A poll was recorded. On the latest stretch the page reads what came
    /// since it last read and drops what fell out on the left; an earlier
    /// stretch stays as it is. While hidden, the reading waits for the next show.
    void historyChanged();
    /// The stretch of the same length before the shown one.
    void showEarlier();
    /// The stretch after the shown one, up to the latest.
    void showLater();
    /// "Export CSV…": asks for a file and writes what is shown.
    void exportCsv();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void refreshSymbols();
    void load(std::int64_t toMs, bool latest);
    void followLatest();
    void redraw();
    void updateControls();
    void setNote(const QString& text);

    const HistorySource* m_source;
    Services m_services;
    QComboBox* m_symbolBox = nullptr;
    QComboBox* m_rangeBox = nullptr;
    QPushButton* m_earlier = nullptr;
    QPushButton* m_later = nullptr;
    QPushButton* m_export = nullptr;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_empty = nullptr;
    QLabel* m_note = nullptr;
    HistoryChartView* m_chart = nullptr;
    std::string m_symbol;
    std::vector<std::string> m_symbols;
    HistoryRange m_range = HistoryRange::Day;
    bool m_latest = true;
    bool m_stale = true; ///< something may have changed since the page last read
    std::int64_t m_fromMs = 0;
    std::int64_t m_toMs = 0;
    std::vector<HistoryPoint> m_points;
    double m_maximum = 0.25;
};

} // namespace quorvane
