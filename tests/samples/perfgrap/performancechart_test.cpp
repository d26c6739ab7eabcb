// The off-screen chart: pixels of new columns, the grid while scrolling, the
// scale and its event, and that the incremental path draws what Replay draws.
#include "performancechart.h"

#include <gtest/gtest.h>

#include "testapp.h"

using namespace quorvane;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kGrid(0, 128, 0);

QRgb at(const PerformanceChart& c, int x, int y)
{
    return c.picture().pixel(x, y) & 0xffffffu;
}

QRgb rgb(const QColor& color)
{
    return color.rgb() & 0xffffffu;
}

// Rows y in [top, bottom) of column x that have exactly the colour.
bool columnIs(const PerformanceChart& c, int x, int top, int bottom, const QColor& color)
{
    for (int y = top; y < bottom; ++y)
        if (at(c, x, y) != rgb(color))
            return false;
    return true;
}

// "" when equal from column fromX on, else where the pictures first differ.
std::string firstDifference(const QImage& a, const QImage& b, int fromX = 0)
{
    if (a.size() != b.size())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = fromX; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xffffffu) != (b.pixel(x, y) & 0xffffffu))
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + ": "
                       + std::to_string(a.pixel(x, y) & 0xffffffu) + " vs "
                       + std::to_string(b.pixel(x, y) & 0xffffffu);
    return {};
}

class Chart : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApp();
        chart.onScaleChange = [this] { ++scaleChanges; };
    }
    PerformanceChart chart;
    int scaleChanges = 0;
};

} // namespace

TEST_F(Chart, StackedBarSampleFillsEachSegmentToOnePixelAboveItsValue)
{
    chart.SetGridlines(false);
    chart.SetKind(pgBar);
    chart.DataPoint(kRed, 30);
    chart.DataPoint(kGreen, 50);
    chart.Update();
    ASSERT_EQ(chart.GetScale(), 100);

    // A second identical sample is drawn by the incremental path; both must
    // look the same: red 70..99, green 49..69, background above.
    chart.DataPoint(kRed, 30);
    chart.DataPoint(kGreen, 50);
    chart.Update();
    ASSERT_EQ(chart.GetScale(), 100);
    for (int x : {94, 95, 96, 97, 98, 99}) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(columnIs(chart, x, 70, 100, kRed));
        EXPECT_TRUE(columnIs(chart, x, 49, 70, kGreen));
        EXPECT_TRUE(columnIs(chart, x, 0, 49, Qt::black));
    }
    EXPECT_TRUE(columnIs(chart, 93, 0, 100, Qt::black));
}

TEST_F(Chart, ZeroPointsAreSkippedAndDoNotResetTheStack)
{
    chart.SetGridlines(false);
    chart.SetKind(pgBar);
    chart.SetScale(100);
    chart.DataPoint(kBlue, 100); // keeps the scale at 100
    chart.Update();
    chart.DataPoint(kRed, 40);
    chart.DataPoint(kBlue, 0);
    chart.DataPoint(kGreen, 60);
    chart.DataPoint(kBlue, 100);
    chart.Update();
    // The zero point neither draws nor resets the stack: green sits on red.
    EXPECT_TRUE(columnIs(chart, 98, 60, 100, kRed));
    EXPECT_TRUE(columnIs(chart, 98, 40, 60, kGreen));
    EXPECT_TRUE(columnIs(chart, 98, 0, 40, kBlue));
}

TEST_F(Chart, LinesContinueFromThePreviousSampleOrStartAtTheBaseline)
{
    chart.SetGridlines(false);
    chart.SetPenWidth(1);
    chart.DataPoint(kRed, 50);
    chart.DataPoint(kBlue, 100);
    chart.Update(); // scale 1000 -> 100, replayed
    ASSERT_EQ(chart.GetScale(), 100);

    chart.DataPoint(kRed, 50);
    chart.DataPoint(kBlue, 100);
    chart.Update(); // incremental: red continues flat at 50
    for (int x = 97; x < 100; ++x)
        EXPECT_EQ(at(chart, x, 50), rgb(kRed)) << x;

    chart.DataPoint(kGreen, 80);
    chart.DataPoint(kBlue, 100);
    chart.Update(); // green is new: its line rises from the baseline
    bool nearBaseline = false;
    for (int y = 90; y < 100; ++y)
        nearBaseline = nearBaseline || at(chart, 97, y) == rgb(kGreen);
    EXPECT_TRUE(nearBaseline);
    EXPECT_FALSE(columnIs(chart, 97, 0, 100, kRed) || at(chart, 97, 50) == rgb(kRed))
        << "red is missing from this sample and must not be drawn";

    chart.DataPoint(kGreen, 40);
    chart.DataPoint(kBlue, 100);
    chart.Update(); // green continues from 80 down to 40
    EXPECT_EQ(at(chart, 97, 20), rgb(kGreen));
    EXPECT_NE(at(chart, 97, 95), rgb(kGreen));
}

TEST_F(Chart, GridScrollsWithTheChartAndKeepsItsPhaseOnReplay)
{
    // New control: vertical lines at 14, 29, ... 89.
    for (int x = 0; x < 100; ++x)
        EXPECT_EQ(at(chart, x, 0) == rgb(kGrid), x % 15 == 14) << x;

    for (int updates = 1; updates <= 12; ++updates) {
        chart.Update(); // the first one changes the scale and replays
        SCOPED_TRACE(updates);
        const int phase = ((14 - 3 * updates) % 15 + 15) % 15;
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(at(chart, x, 0) == rgb(kGrid), x % 15 == phase) << "column " << x;
        for (int y = 1; y < 100; ++y)
            ASSERT_EQ(at(chart, 99, y) == rgb(kGrid), y % 15 == 0 || phase == 99 % 15) << "row " << y;
    }
    const QImage scrolled = chart.picture().copy();
    chart.Replay();
    EXPECT_EQ(firstDifference(chart.picture(), scrolled), "");
}

TEST_F(Chart, EmptyUpdateDropsTheScaleToZeroAndFiresOnce)
{
    chart.Update();
    EXPECT_EQ(chart.GetScale(), 0);
    EXPECT_EQ(scaleChanges, 1);
    chart.Update();
    EXPECT_EQ(scaleChanges, 1);
}

TEST_F(Chart, ScaleFollowsTheLargestValueRoundedToTheGradient)
{
    chart.DataPoint(kRed, 250);
    chart.Update();
    EXPECT_EQ(chart.GetScale(), 300);
    EXPECT_EQ(scaleChanges, 1);

    PerformanceChart exact;
    exact.SetGradient(0);
    exact.DataPoint(kRed, 250);
    exact.Update();
    EXPECT_EQ(exact.GetScale(), 250);
}

TEST_F(Chart, ScaleSetterRoundsAndIgnoresAnEquivalentValue)
{
    chart.SetScale(250);
    EXPECT_EQ(chart.GetScale(), 300);
    EXPECT_EQ(scaleChanges, 1);
    chart.SetScale(260);
    EXPECT_EQ(scaleChanges, 1);
}

TEST_F(Chart, ScaleFallsWhenTheLargestSampleLeavesTheRing)
{
    chart.DataPoint(kRed, 900);
    chart.Update();
    ASSERT_EQ(chart.GetScale(), 900);
    const int ringSize = chart.history().size();
    for (int k = 0; k < ringSize - 2; ++k) {
        chart.DataPoint(kRed, 120);
        chart.Update();
    }
    EXPECT_EQ(chart.GetScale(), 900) << "the sample is still in the ring";
    chart.DataPoint(kRed, 120);
    chart.Update();
    EXPECT_EQ(chart.GetScale(), 200);
}

TEST_F(Chart, DoublingTheStepKeepsTheNewest18Bands)
{
    for (int v = 1; v <= 40; ++v) {
        chart.DataPoint(kRed, v);
        chart.Update();
    }
    chart.SetStepSize(6);
    const GraphHistory& h = chart.history();
    ASSERT_EQ(h.size(), 18);
    EXPECT_EQ(h.FirstY(), 0);
    EXPECT_EQ(h.current(), 17);
    EXPECT_EQ(h.band(17).count, 0);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(h.band(i).values[0], 24 + i) << i;
}

TEST_F(Chart, SetterLimits)
{
    chart.SetGridSize(1);
    EXPECT_EQ(chart.GetGridSize(), 2);
    chart.SetStepSize(-4);
    EXPECT_EQ(chart.GetStepSize(), 1);
    EXPECT_EQ(chart.history().size(), 102);
    chart.DataPoint(kRed, 10);
    chart.Update(); // one-pixel steps and a two-pixel grid still work
    EXPECT_EQ(chart.GetScale(), 100);
}

TEST_F(Chart, OutOfDomainInputsNeverCrash)
{
    chart.SetKind(pgBar);
    chart.DataPoint(kRed, -50);
    chart.DataPoint(kGreen, 20);
    chart.Update();
    chart.SetScale(0); // a non-zero value drawn at scale 0
    chart.DataPoint(kRed, std::numeric_limits<std::int32_t>::max());
    chart.DataPoint(kGreen, std::numeric_limits<std::int32_t>::min());
    chart.Update();
    chart.setSize(2, 40); // narrower than one step
    chart.DataPoint(kRed, 10);
    chart.Update();
    EXPECT_EQ(chart.GetBandCount(), 1);
    EXPECT_EQ(chart.picture().size(), QSize(2, 40));
    chart.setSize(0, 0);
    chart.DataPoint(kRed, 10);
    chart.Update();
    chart.Replay();
    EXPECT_TRUE(chart.picture().isNull());
}

TEST_F(Chart, NarrowGraphShowsItsNewestSampleAfterReplayToo)
{
    chart.SetGridlines(false);
    chart.SetKind(pgBar);
    chart.setSize(2, 40);
    chart.SetScale(100);
    chart.DataPoint(kRed, 100);
    chart.Update();
    EXPECT_EQ(at(chart, 0, 39), rgb(kRed));
    const QImage incremental = chart.picture().copy();
    chart.Replay();
    EXPECT_EQ(firstDifference(chart.picture(), incremental), "");
}

// The cheap path (one scroll, one column) must leave exactly the picture that
// a full replay of the history would draw.
struct IncrementalRow {
    const char* name;
    TGraphKind kind;
    int width;
    int step;
    int grid;
    int penWidth;
};

void PrintTo(const IncrementalRow& row, std::ostream* os) { *os << row.name; }

class IncrementalMatchesReplay : public ::testing::TestWithParam<IncrementalRow> {
protected:
    void SetUp() override { ensureApp(); }
};

TEST_P(IncrementalMatchesReplay, AfterManySamples)
{
    const IncrementalRow& row = GetParam();
    PerformanceChart chart;
    chart.SetKind(row.kind);
    chart.SetStepSize(row.step);
    chart.SetGridSize(row.grid);
    chart.SetPenWidth(row.penWidth);
    chart.setSize(row.width, 120);
    int replays = 0;
    chart.onScaleChange = [&replays] { ++replays; };
    for (int n = 0; n < 150; ++n) {
        chart.DataPoint(kRed, (n * 37) % 300);
        chart.DataPoint(kGreen, 300 + (n * 53) % 300);
        if (n % 4 != 0)
            chart.DataPoint(kBlue, 600 + (n * 29) % 300);
        chart.DataPoint(Qt::white, 950);
        chart.Update();
    }
    EXPECT_EQ(replays, 0) << "the scale should have stayed at 1000";
    const QImage incremental = chart.picture().copy();
    chart.Replay();
    // Left of the oldest drawn band lies a sliver narrower than one step that
    // only the scrolled picture still shows; the replay leaves it blank.
    const int firstColumn = row.width - chart.GetBandCount() * row.step;
    EXPECT_LT(firstColumn, row.step);
    EXPECT_EQ(firstDifference(chart.picture(), incremental, firstColumn), "");
}

INSTANTIATE_TEST_SUITE_P(
    Chart, IncrementalMatchesReplay,
    ::testing::Values(IncrementalRow{"LinesDefault", pgLine, 100, 3, 15, 2},
                      IncrementalRow{"BarsDefault", pgBar, 100, 3, 15, 2},
                      IncrementalRow{"LinesWide", pgLine, 400, 7, 15, 3},
                      IncrementalRow{"BarsStepWiderThanGrid", pgBar, 400, 20, 15, 1},
                      IncrementalRow{"LinesStepWiderThanGrid", pgLine, 137, 40, 6, 1},
                      IncrementalRow{"LinesOddWidth", pgLine, 101, 4, 9, 1}),
    [](const ::testing::TestParamInfo<IncrementalRow>& info) { return std::string(info.param.name); });
