// SPDX-License-Identifier: MIT
// The History page against an in-memory history: what it asks for, what it
// draws, what it exports; and the reduction and CSV text beneath it.

#include "tests/support/fakehistorysource.h"
#include "tests/support/qtapp.h"
#include "tests/support/scratchfolder.h"

#include "history/historyexport.h"
#include "history/historypage.h"
#include "history/historyreduce.h"

#include <QAreaSeries>
#include <QLabel>
#include <QLineSeries>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

namespace quorvane {
namespace {

using test::FakeHistorySource;

// Receipt times on the page are local times: the tests' own zone is UTC.
const bool kUtc = [] {
    setenv("TZ", "UTC", 1);
    tzset();
    return true;
}();

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kHour = 3600 * kSecond;
constexpr std::int64_t kDay = 24 * kHour;
// 2026-12-08T14:30:15Z
constexpr std::int64_t kNow = 1796740215000;

// ---- reduction ------------------------------------------------------------

std::vector<SeriesPoint> walkSamples(std::size_t count, std::int64_t fromMs, std::int64_t stepMs)
{
    std::vector<SeriesPoint> samples;
    for (const HistoryPoint& p : test::demoWalk("EURUSD", 1.0842, 5, fromMs, stepMs, count))
        samples.push_back({p.receivedUtcMs, *p.signal});
    return samples;
}

struct ReduceRow {
    const char* name;
    std::size_t count;
    std::int64_t stepMs;
    int columns;
};

class ReduceToColumns : public testing::TestWithParam<ReduceRow> {};

// Every column keeps its lowest and highest value and its first and last
// sample, and nothing else beyond four per column.
TEST_P(ReduceToColumns, KeepsEachColumnsExtremesWithinTheBound)
{
    const ReduceRow row = GetParam();
    const std::int64_t from = 1000;
    const std::int64_t to = from + static_cast<std::int64_t>(row.count) * row.stepMs;
    const std::vector<SeriesPoint> samples = walkSamples(row.count, from, row.stepMs);
    const std::vector<SeriesPoint> reduced = reduceToColumns(samples, from, to, row.columns);

    ASSERT_LE(reduced.size(), 4 * static_cast<std::size_t>(row.columns));
    EXPECT_TRUE(std::is_sorted(reduced.begin(), reduced.end(),
                               [](const SeriesPoint& a, const SeriesPoint& b) { return a.timeMs < b.timeMs; }));
    const auto column = [&](std::int64_t t) { return (t - from) * row.columns / (to - from); };
    std::map<std::int64_t, std::vector<SeriesPoint>> wanted, kept;
    for (const SeriesPoint& s : samples)
        wanted[column(s.timeMs)].push_back(s);
    for (const SeriesPoint& s : reduced)
        kept[column(s.timeMs)].push_back(s);
    ASSERT_EQ(kept.size(), wanted.size());
    for (const auto& [c, all] : wanted) {
        SCOPED_TRACE(c);
        const std::vector<SeriesPoint>& mine = kept[c];
        const auto byValue = [](const SeriesPoint& a, const SeriesPoint& b) { return a.value < b.value; };
        EXPECT_EQ(std::min_element(mine.begin(), mine.end(), byValue)->value,
                  std::min_element(all.begin(), all.end(), byValue)->value);
        EXPECT_EQ(std::max_element(mine.begin(), mine.end(), byValue)->value,
                  std::max_element(all.begin(), all.end(), byValue)->value);
        EXPECT_EQ(mine.front(), all.front());
        EXPECT_EQ(mine.back(), all.back());
        if (all.size() <= 2) {
            EXPECT_EQ(mine, all);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ReduceToColumns,
                         testing::Values(ReduceRow{"ThirtyDaysOfOneSymbol", 172800, 15 * kSecond, 700},
                                         ReduceRow{"FewerSamplesThanColumns", 300, 15 * kSecond, 700},
                                         ReduceRow{"OneColumn", 5000, kSecond, 1},
                                         ReduceRow{"TwoSamplesPerColumn", 1400, kSecond, 700}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReduceToColumnsEdges, LeavesOutWhatLiesOutsideTheWindow)
{
    const std::vector<SeriesPoint> samples = {{9, 5.0}, {10, 1.0}, {12, 4.0}, {15, 2.0}, {19, 3.0}, {20, 9.0}};
    EXPECT_EQ(reduceToColumns(samples, 10, 20, 1), (std::vector<SeriesPoint>{{10, 1.0}, {12, 4.0}, {19, 3.0}}));
    EXPECT_TRUE(reduceToColumns(samples, 20, 20, 10).empty());
    EXPECT_EQ(reduceToColumns(samples, 10, 20, 0).size(), 3u);
}

TEST(ReduceToColumnsEdges, RecordsWithoutANumberLeaveOnlyTheirOwnSeries)
{
    std::vector<HistoryPoint> points(3);
    points[0] = {100, "EURUSD", "1.08423", "t", "0.25", 0.25};
    points[1] = {200, "EURUSD", "1.08424", "t", "n/a", std::nullopt};
    points[2] = {300, "EURUSD", "--", "t", "0.5", 0.5};
    const HistorySeries series = reduceToColumns(points, 0, 1000, 100);
    EXPECT_EQ(series.signal, (std::vector<SeriesPoint>{{100, 0.25}, {300, 0.5}}));
    EXPECT_EQ(series.price, (std::vector<SeriesPoint>{{100, 1.08423}, {200, 1.08424}}));
}

TEST(PriceNumber, ReadsThePointWhateverTheLocale)
{
    const struct {
        const char* text;
        std::optional<double> number;
    } rows[] = {{"1.08423", 1.08423}, {" 149.820 ", 149.82}, {"1,08423", std::nullopt}, {"inf", std::nullopt},
                {"1e5", std::nullopt}, {"", std::nullopt}, {"-0.5", -0.5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(priceNumber(row.text), row.number);
    }
}

// ---- CSV ------------------------------------------------------------------

TEST(HistoryCsv, QuotesWhereNeededAndConvertsLatin1)
{
    const struct {
        const char* name;
        std::string field;
        std::string csv;
    } rows[] = {{"plain", "EURUSD", "EURUSD"},
                {"comma", "EUR,USD", "\"EUR,USD\""},
                {"quote", "EUR\"X", "\"EUR\"\"X\""},
                {"cr", "a\rb", "\"a\rb\""},
                {"lf", "a\nb", "\"a\nb\""},
                {"latin1", "\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
                {"empty", "", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(csvField(row.field), row.csv);
    }
}

TEST(HistoryCsv, ReceiptTimeInUtcToTheSecond)
{
    EXPECT_EQ(utcTimestamp(kNow + 999), "2026-12-08T14:30:15Z");
    EXPECT_EQ(utcTimestamp(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(utcTimestamp(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(utcTimestamp(1709164800000), "2024-02-29T00:00:00Z");
}

// ---- the page -------------------------------------------------------------

class RecordingChooser : public SaveFileChooser {
public:
    RecordingChooser(std::optional<QString>* answer, QString* suggested) : m_answer(answer), m_suggested(suggested) {}
    std::optional<QString> chooseSaveFile(QWidget*, const QString&, const QString& suggestedName,
                                          const QString&) override
    {
        *m_suggested = suggestedName;
        return *m_answer;
    }

private:
    std::optional<QString>* m_answer;
    QString* m_suggested;
};

class HistoryPageTest : public testing::Test {
protected:
    HistoryPageTest()
    {
        source.add(test::demoWalk("EURUSD", 1.0842, 5, kNow - 31 * kDay, 15 * kSecond, 31 * 24 * 240, 1));
        source.add(test::demoWalk("USDJPY", 149.82, 3, kNow - 2 * kDay, 15 * kSecond, 2 * 24 * 240, 2));
    }

    std::unique_ptr<HistoryPage> makePage(const HistorySource* from)
    {
        HistoryPage::Services services;
        services.nowUtcMs = [this] { return now; };
        services.saveFileChooser = std::make_unique<RecordingChooser>(&answer, &suggested);
        auto page = std::make_unique<HistoryPage>(from, std::move(services));
        page->resize(776, 520);
        page->show();
        return page;
    }

    FakeHistorySource::Query lastQuery() const
    {
        return source.queries.empty() ? FakeHistorySource::Query{} : source.queries.back();
    }

    FakeHistorySource source;
    std::int64_t now = kNow;
    std::optional<QString> answer;
    QString suggested;
};

TEST_F(HistoryPageTest, ReadsNothingUntilShownThenTheFirstSymbolsLatestDay)
{
    HistoryPage::Services services;
    services.nowUtcMs = [this] { return now; };
    HistoryPage page(&source, std::move(services));
    page.historyChanged();
    EXPECT_TRUE(source.queries.empty());
    page.show();
    ASSERT_EQ(source.queries.size(), 1u);
    EXPECT_EQ(lastQuery().shortName, "EURUSD");
    EXPECT_EQ(lastQuery().fromMs, kNow - kDay);
    EXPECT_EQ(lastQuery().toMs, kNow);
    EXPECT_EQ(page.shownPoints().size(), 24u * 240);
}

TEST_F(HistoryPageTest, RangeAndSymbolChoicesAskForTheirWindow)
{
    const auto page = makePage(&source);
    const struct {
        HistoryRange range;
        std::int64_t length;
    } rows[] = {{HistoryRange::Hour, kHour}, {HistoryRange::Week, 7 * kDay}, {HistoryRange::ThirtyDays, 30 * kDay},
                {HistoryRange::Day, kDay}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.length);
        now += kSecond;
        page->setRange(row.range);
        EXPECT_EQ(lastQuery().fromMs, now - row.length);
        EXPECT_EQ(lastQuery().toMs, now);
    }
    page->setSymbol(QStringLiteral("USDJPY"));
    EXPECT_EQ(lastQuery().shortName, "USDJPY");
    EXPECT_EQ(lastQuery().toMs, now);
    EXPECT_EQ(page->shownPoints().front().symbol, "USDJPY");

    page->showEarlier();
    EXPECT_EQ(lastQuery().fromMs, now - 2 * kDay);
    EXPECT_EQ(lastQuery().toMs, now - kDay);
    EXPECT_FALSE(page->showsLatest());
    page->setSymbol(QStringLiteral("EURUSD")); // keeps the earlier stretch
    EXPECT_EQ(lastQuery().toMs, now - kDay);
    page->showLater();
    EXPECT_TRUE(page->showsLatest());
    EXPECT_EQ(lastQuery().toMs, now);
}

TEST_F(HistoryPageTest, FollowsNewPollsOnlyOnTheLatestRange)
{
    const auto page = makePage(&source);
    const std::size_t shown = page->shownPoints().size();
    // One poll 15 s later: only the new part is read, the oldest poll drops out.
    source.add(test::demoWalk("EURUSD", 1.0842, 5, kNow + 10 * kSecond, 15 * kSecond, 1, 3));
    const std::size_t queries = source.queries.size();
    now += 15 * kSecond;
    page->historyChanged();
    ASSERT_EQ(source.queries.size(), queries + 1);
    EXPECT_EQ(lastQuery().fromMs, kNow);
    EXPECT_EQ(lastQuery().toMs, now);
    EXPECT_EQ(page->shownPoints().size(), shown);
    EXPECT_EQ(page->shownPoints().back().receivedUtcMs, kNow + 10 * kSecond);
    EXPECT_GE(page->shownPoints().front().receivedUtcMs, now - kDay);

    // After a jump longer than the range everything is read anew.
    now += 2 * kDay;
    page->historyChanged();
    EXPECT_EQ(lastQuery().fromMs, now - kDay);

    page->showEarlier();
    const std::size_t earlier = source.queries.size();
    now += 15 * kSecond;
    page->historyChanged();
    EXPECT_EQ(source.queries.size(), earlier);

    // Hidden, the page waits for the next show.
    page->showLater();
    page->hide();
    const std::size_t hidden = source.queries.size();
    now += 15 * kSecond;
    page->historyChanged();
    EXPECT_EQ(source.queries.size(), hidden);
    page->show();
    EXPECT_EQ(lastQuery().toMs, now);
}

std::vector<std::pair<double, double>> bands(HistoryChartView* view, const char* side)
{
    std::vector<std::pair<double, double>> found;
    for (int k = 1; k <= 8; ++k) {
        const auto* band = view->chart()->findChild<QAreaSeries*>(QStringLiteral("%1Band%2").arg(side).arg(k));
        found.emplace_back(band->lowerSeries()->at(0).y(), band->upperSeries()->at(0).y());
    }
    return found;
}

TEST_F(HistoryPageTest, BandsSitAtEighthsOfTheMaximumOnBothSides)
{
    const auto page = makePage(&source);
    for (const double maximum : {0.5, 0.25, 0.99, 0.0}) {
        SCOPED_TRACE(maximum);
        page->setMaximumSignal(maximum);
        const double limit = page->chartView()->signalLimit();
        const auto longBands = bands(page->chartView(), "long");
        const auto shortBands = bands(page->chartView(), "short");
        for (int k = 1; k <= 8; ++k) {
            const double low = maximum * k / 8;
            const double high = k == 8 ? limit : maximum * (k + 1) / 8;
            EXPECT_DOUBLE_EQ(longBands[k - 1].first, low) << k;
            EXPECT_DOUBLE_EQ(longBands[k - 1].second, high) << k;
            EXPECT_DOUBLE_EQ(shortBands[k - 1].first, -low) << k;
            EXPECT_DOUBLE_EQ(shortBands[k - 1].second, -high) << k;
        }
    }
}

FakeHistorySource twoPolls()
{
    FakeHistorySource two;
    two.records = {{kNow - 30 * kSecond, "EURUSD", "1.08423", "2026.12.08 14:30", "0.4213", 0.4213},
                   {kNow - 15 * kSecond, "EURUSD", "1.08431", "2026.12.08 14:30", "-0.0625", -0.0625}};
    return two;
}

TEST_F(HistoryPageTest, ToolTipNamesTheNearestRecord)
{
    const FakeHistorySource two = twoPolls();
    const auto page = makePage(&two);
    EXPECT_EQ(page->toolTipAt(kNow - 24 * kSecond).toStdString(),
              "2026-12-08 14:29:45\nSignal: 0.4213\nPrice: 1.08423");
    EXPECT_EQ(page->toolTipAt(kNow - 22 * kSecond).toStdString(),
              "2026-12-08 14:30:00\nSignal: -0.0625\nPrice: 1.08431");
    EXPECT_EQ(page->toolTipAt(kNow).toStdString(), "2026-12-08 14:30:00\nSignal: -0.0625\nPrice: 1.08431");
}

TEST_F(HistoryPageTest, ExportWritesWhatIsShown)
{
    FakeHistorySource odd = twoPolls();
    odd.records[1].symbol = "EURUSD,pro";
    odd.records[1].marketTime = "14:30 \"GMT\"";
    odd.records.push_back({kNow - kDay - 1, "EURUSD", "1.0", "old", "0.1", 0.1}); // outside the day
    std::stable_sort(odd.records.begin(), odd.records.end(),
                     [](const HistoryPoint& a, const HistoryPoint& b) { return a.receivedUtcMs < b.receivedUtcMs; });
    const auto page = makePage(&odd);
    test::ScratchFolder scratch;
    const std::string path = scratch / "eurusd.csv";
    answer = QString::fromStdString(path);
    page->exportCsv();
    EXPECT_EQ(test::readFile(path), "received_utc,symbol,price,market_time,signal\r\n"
                                          "2026-12-08T14:29:45Z,EURUSD,1.08423,2026.12.08 14:30,0.4213\r\n"
                                          "2026-12-08T14:30:00Z,\"EURUSD,pro\",1.08431,\"14:30 \"\"GMT\"\"\",-0.0625\r\n");

    answer = QString::fromStdString(scratch / "missing/folder.csv");
    page->exportCsv();
    EXPECT_TRUE(page->findChild<QLabel*>(QStringLiteral("HistoryNote"))->text().startsWith("Could not save"));
}

TEST_F(HistoryPageTest, ExportSuggestsAFileInTheHomeFolderNamedAfterTheSymbol)
{
    const struct {
        const char* name;
        const char* symbol;
        const char* suggested;
    } rows[] = {
        {"Plain", "EURUSD", "EURUSD-20261208-1430.csv"},
        // The symbol is the service's text: a slash must not lead the dialog elsewhere.
        {"Slash", "EUR/USD", "EUR_US-20261208-1430.csv"},
        {"Climbing", "../../x", ".._.._-20261208-1430.csv"},
        {"ControlCharacter", "EU\tUSD", "EU_USD-20261208-1430.csv"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeHistorySource one;
        one.records = {{kNow - 15 * kSecond, row.symbol, "1.08423", "2026.12.08 14:30", "0.4213", 0.4213}};
        const auto page = makePage(&one);
        answer.reset();
        page->exportCsv();
        EXPECT_EQ(suggested.toStdString(), row.suggested);
    }
}

TEST_F(HistoryPageTest, WithoutHistoryThePageSaysSo)
{
    const FakeHistorySource empty;
    for (const HistorySource* from : {static_cast<const HistorySource*>(nullptr), static_cast<const HistorySource*>(&empty)}) {
        const auto page = makePage(from);
        const auto* stack = page->findChild<QStackedWidget*>();
        EXPECT_EQ(stack->currentWidget()->objectName(), "HistoryEmpty");
        EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("HistoryEmpty"))->text(), "No history yet");
    }
}

// Runs under de_DE.UTF-8 (see tests/CMakeLists.txt).
class CommaLocaleHistoryPageTest : public HistoryPageTest {};

TEST_F(CommaLocaleHistoryPageTest, ToolTipAndAxesUseTheRegionalSeparator)
{
    if (QLocale::system().decimalPoint() != QStringLiteral(","))
        GTEST_SKIP() << "needs a comma locale";
    const FakeHistorySource two = twoPolls();
    const auto page = makePage(&two);
    EXPECT_EQ(page->toolTipAt(kNow).toStdString(), "2026-12-08 14:30:00\nSignal: -0,0625\nPrice: 1,08431");
    EXPECT_TRUE(page->chartView()->chart()->localizeNumbers());
    EXPECT_EQ(page->chartView()->chart()->locale().decimalPoint(), QStringLiteral(","));
}

} // namespace
} // namespace quorvane
