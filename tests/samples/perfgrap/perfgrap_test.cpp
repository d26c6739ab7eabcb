// SPDX-License-Identifier: MIT
// Performance graph: the history ring and scale arithmetic, pixels of the
// off-screen chart, and that the incremental path draws what Replay draws.
#include "samples/perfgrap/perfgrap.h"

#include "tests/support/qtapp.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace quorvane;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr QRgb kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff, kBlack = 0, kGrid = 0x008000;

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xffffffu; }

// True when rows [top, bottom) of column x all have the colour.
bool columnIs(const PerformanceChart& c, int x, int top, int bottom, QRgb color)
{
    for (int y = top; y < bottom; ++y)
        if (at(c.picture(), x, y) != color)
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
            if (at(a, x, y) != at(b, x, y))
                return std::to_string(x) + "," + std::to_string(y);
    return {};
}

void sample(PerformanceChart& chart, std::initializer_list<std::pair<QRgb, std::int32_t>> points)
{
    for (const auto& [color, value] : points)
        chart.DataPoint(color, value);
    chart.Update();
}

std::int32_t firstValue(const GraphHistory& h, int band) { return h.band(band).values[0]; }

class Chart : public testing::Test {
protected:
    void SetUp() override { chart.onScaleChange = [this] { ++scaleChanges; }; }
    PerformanceChart chart;
    int scaleChanges = 0;
};

} // namespace

TEST(GraphHistory, RingOrderLargestValueAndTheSixteenPointLimit)
{
    GraphHistory h(3); // five bands, oldest 1, current 0
    ASSERT_EQ(h.size(), 5);
    EXPECT_EQ(h.NextY(0), -1) << "0 + 1 is the oldest: the walk is complete";
    EXPECT_EQ(h.LastY(0), 4);
    EXPECT_EQ(h.NextY(4), 0);
    for (int v = 1; v <= 12; ++v) {
        h.DataPoint(qRgb(255, 0, 0), v);
        h.ShiftY();
        EXPECT_EQ(h.FirstY(), (h.current() + 1) % 5);
        EXPECT_EQ(h.band(h.current()).count, 0);
        EXPECT_EQ(firstValue(h, h.LastY(h.current())), v);
        int steps = 0;
        for (int i = h.FirstY(); i != -1 && steps <= 5; i = h.NextY(i))
            ++steps;
        EXPECT_EQ(steps, 5);
    }
    GraphHistory h2(4);
    h2.DataPoint(qRgb(0, 0, 0), -40);
    EXPECT_EQ(h2.largestValue(), 0) << "never below zero";
    for (int k = 2; k <= 16; ++k)
        h2.DataPoint(qRgb(0, 0, 255), k);
    EXPECT_THROW(h2.DataPoint(qRgb(255, 0, 0), 99), ERangeError) << "a 17th point";
    EXPECT_EQ(h2.band(h2.current()).count, 16);
    EXPECT_EQ(h2.largestValue(), 16);
}

// Regression: shrinking after growth once kept the empty new slots as "newest".
TEST(GraphHistory, GrowingThenShrinkingKeepsTheNewestSamples)
{
    GraphHistory h(3);
    for (int v = 1; v <= 7; ++v) {
        h.DataPoint(qRgb(0, 255, 0), v);
        h.ShiftY();
    }
    h.ReallocHistory(10);
    h.ReallocHistory(2); // four bands: the newest three samples and the current
    ASSERT_EQ(h.size(), 4);
    EXPECT_EQ(h.current(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(firstValue(h, i), 5 + i);
}

TEST(GraphArithmetic, RoundUpPixelSizeAndBandCount)
{
    struct Round { std::int32_t value, step, expected; };
    for (const Round& r : {Round{0, 100, 0}, Round{250, 100, 300}, Round{300, 100, 300},
                           Round{301, 100, 400}, Round{250, 0, 250}, Round{-250, 100, -100},
                           Round{kMax - 5, 100, kMax}, Round{kMin, -1, kMin}}) {
        SCOPED_TRACE(testing::Message() << r.value << " step " << r.step);
        EXPECT_EQ(RoundUp(r.value, r.step), r.expected);
    }
    struct Pixel { std::int64_t value; int height; std::int32_t scale; int expected; };
    for (const Pixel& p : {Pixel{50, 200, 300, 33}, Pixel{-20, 100, 100, 0}, Pixel{500, 100, 100, 100},
                           Pixel{5, 80, 0, 80}, Pixel{5, 80, -100, 80}, Pixel{5, 0, 100, 0}}) {
        SCOPED_TRACE(testing::Message() << p.value << " at scale " << p.scale);
        EXPECT_EQ(pixelSize(p.value, p.height, p.scale), p.expected);
    }
    EXPECT_EQ(bandCountFor(100, 3), 33);
    EXPECT_EQ(bandCountFor(2, 3), 1);
    EXPECT_EQ(bandCountFor(0, 3), 1);
}

TEST_F(Chart, StackedBarsFillEachSegmentToOnePixelAboveItsValue)
{
    chart.SetGridlines(false);
    chart.SetKind(pgBar);
    sample(chart, {{kRed, 30}, {kGreen, 50}}); // scale 1000 -> 100: replayed
    sample(chart, {{kRed, 30}, {kGreen, 50}}); // incremental
    ASSERT_EQ(chart.GetScale(), 100);
    for (int x = 94; x < 100; ++x) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(columnIs(chart, x, 70, 100, kRed));
        EXPECT_TRUE(columnIs(chart, x, 49, 70, kGreen));
        EXPECT_TRUE(columnIs(chart, x, 0, 49, kBlack));
    }
    EXPECT_TRUE(columnIs(chart, 93, 0, 100, kBlack));
    // A zero point neither draws nor resets the stack.
    sample(chart, {{kRed, 40}, {kBlue, 0}, {kGreen, 60}, {kBlue, 100}});
    EXPECT_TRUE(columnIs(chart, 98, 60, 100, kRed));
    EXPECT_TRUE(columnIs(chart, 98, 40, 60, kGreen));
    EXPECT_TRUE(columnIs(chart, 98, 0, 40, kBlue));
}

TEST_F(Chart, LinesContinueFromThePreviousSampleOrStartAtTheBaseline)
{
    chart.SetGridlines(false);
    chart.SetPenWidth(1);
    sample(chart, {{kRed, 50}, {kBlue, 100}});
    sample(chart, {{kRed, 50}, {kBlue, 100}});
    for (int x = 97; x < 100; ++x)
        EXPECT_EQ(at(chart.picture(), x, 50), kRed) << x;
    sample(chart, {{kGreen, 80}, {kBlue, 100}}); // new green rises from the baseline; red is gone
    bool nearBaseline = false;
    for (int y = 90; y < 100; ++y)
        nearBaseline = nearBaseline || at(chart.picture(), 97, y) == kGreen;
    EXPECT_TRUE(nearBaseline);
    EXPECT_NE(at(chart.picture(), 97, 50), kRed);
    sample(chart, {{kGreen, 40}, {kBlue, 100}}); // continues from 80 down to 40
    EXPECT_EQ(at(chart.picture(), 97, 20), kGreen);
    EXPECT_NE(at(chart.picture(), 97, 95), kGreen);
}

TEST_F(Chart, GridScrollsWithTheChartAndKeepsItsPhaseOnReplay)
{
    for (int updates = 0; updates <= 12; ++updates) {
        if (updates > 0)
            chart.Update();
        SCOPED_TRACE(updates);
        const int phase = ((14 - 3 * updates) % 15 + 15) % 15; // new control: 14, 29, ... 89
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(at(chart.picture(), x, 0) == kGrid, x % 15 == phase) << "column " << x;
        for (int y = 1; y < 100; ++y)
            ASSERT_EQ(at(chart.picture(), 99, y) == kGrid, y % 15 == 0 || phase == 99 % 15) << "row " << y;
    }
    const QImage scrolled = chart.picture().copy();
    chart.Replay();
    EXPECT_EQ(firstDifference(chart.picture(), scrolled), "");
}

TEST_F(Chart, ScaleFollowsTheLargestValueRoundedToTheGradient)
{
    chart.Update(); // empty: the scale drops to 0 and fires once
    EXPECT_EQ(chart.GetScale(), 0);
    chart.Update();
    EXPECT_EQ(scaleChanges, 1);
    sample(chart, {{kRed, 250}});
    EXPECT_EQ(chart.GetScale(), 300);
    chart.SetScale(260); // rounds to the same 300: no event
    EXPECT_EQ(scaleChanges, 2);

    PerformanceChart exact;
    exact.SetGradient(0);
    sample(exact, {{kRed, 250}});
    EXPECT_EQ(exact.GetScale(), 250);

    sample(chart, {{kRed, 900}});
    for (int k = 0; k < chart.history().size() - 2; ++k)
        sample(chart, {{kRed, 120}});
    EXPECT_EQ(chart.GetScale(), 900) << "the sample is still in the ring";
    sample(chart, {{kRed, 120}});
    EXPECT_EQ(chart.GetScale(), 200);
}

TEST_F(Chart, DoublingTheStepKeepsTheNewest18Bands)
{
    for (int v = 1; v <= 40; ++v)
        sample(chart, {{kRed, v}});
    chart.SetStepSize(6);
    const GraphHistory& h = chart.history();
    ASSERT_EQ(h.size(), 18);
    EXPECT_EQ(h.FirstY(), 0);
    EXPECT_EQ(h.band(17).count, 0);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(firstValue(h, i), 24 + i) << i;
}

TEST_F(Chart, LimitsAndOutOfDomainInputsNeverCrash)
{
    chart.SetGridSize(1);
    EXPECT_EQ(chart.GetGridSize(), 2);
    chart.SetStepSize(-4);
    EXPECT_EQ(chart.GetStepSize(), 1);
    chart.SetKind(pgBar);
    sample(chart, {{kRed, -50}, {kGreen, 20}});
    chart.SetScale(0);
    sample(chart, {{kRed, kMax}, {kGreen, kMin}});
    chart.setSize(0, 0);
    sample(chart, {{kRed, 10}});
    chart.Replay();
    EXPECT_TRUE(chart.picture().isNull());

    PerformanceChart narrow; // narrower than one step: the newest sample still shows
    narrow.SetGridlines(false);
    narrow.SetKind(pgBar);
    narrow.setSize(2, 40);
    narrow.SetScale(100);
    sample(narrow, {{kRed, 100}});
    EXPECT_EQ(narrow.GetBandCount(), 1);
    EXPECT_EQ(at(narrow.picture(), 0, 39), kRed);
    const QImage incremental = narrow.picture().copy();
    narrow.Replay();
    EXPECT_EQ(firstDifference(narrow.picture(), incremental), "");
}

// Regression: a value that clamps to the current one still replayed the chart.
TEST_F(Chart, AClampedValueEqualToTheCurrentOneCostsNoReplay)
{
    chart.SetGridSize(2);
    chart.SetStepSize(1);
    int repaints = 0;
    chart.onRepaint = [&repaints] { ++repaints; };
    chart.SetGridSize(1);
    chart.SetStepSize(-4);
    EXPECT_EQ(repaints, 0);
}

// The cheap path (one scroll, one column) leaves exactly the picture a replay draws.
TEST(PerformanceChart, IncrementalDrawingMatchesReplay)
{
    struct Row { const char* name; TGraphKind kind; int width, step, grid, penWidth; };
    for (const Row& r : {Row{"lines", pgLine, 100, 3, 15, 2}, Row{"bars", pgBar, 100, 3, 15, 2},
                         Row{"wide lines", pgLine, 400, 7, 15, 3}, Row{"bars, step > grid", pgBar, 400, 20, 15, 1},
                         Row{"lines, step > grid", pgLine, 137, 40, 6, 1}, Row{"odd width", pgLine, 101, 4, 9, 1}}) {
        SCOPED_TRACE(r.name);
        PerformanceChart chart;
        chart.SetKind(r.kind);
        chart.SetStepSize(r.step);
        chart.SetGridSize(r.grid);
        chart.SetPenWidth(r.penWidth);
        chart.setSize(r.width, 120);
        int replays = 0;
        chart.onScaleChange = [&replays] { ++replays; };
        for (int n = 0; n < 150; ++n) {
            chart.DataPoint(kRed, (n * 37) % 300);
            chart.DataPoint(kGreen, 300 + (n * 53) % 300);
            if (n % 4 != 0)
                chart.DataPoint(kBlue, 600 + (n * 29) % 300);
            sample(chart, {{0xffffff, 950}}); // holds the scale at 1000
        }
        EXPECT_EQ(replays, 0);
        const QImage incremental = chart.picture().copy();
        chart.Replay();
        // Only the sliver narrower than one step left of the oldest drawn band may differ.
        const int firstColumn = r.width - chart.GetBandCount() * r.step;
        EXPECT_LT(firstColumn, r.step);
        EXPECT_EQ(firstDifference(chart.picture(), incremental, firstColumn), "");
    }
}

TEST(TPerformanceGraph, SignalsItselfAndKeepsTheNewestSamplesOnResize)
{
    TPerformanceGraph graph;
    QSignalSpy spy(&graph, &TPerformanceGraph::OnScaleChange);
    graph.SetKind(pgBar);
    graph.SetGridlines(false);
    graph.SetScale(100);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<TPerformanceGraph*>(), &graph);
    for (int v = 1; v <= 50; ++v) {
        graph.DataPoint(kRed, v == 50 ? 50 : 100);
        graph.DataPoint(kBlue, 100);
        graph.Update();
    }
    graph.resize(400, 200);
    ASSERT_EQ(graph.picture().size(), QSize(400, 200));
    EXPECT_EQ(at(graph.picture(), 399, 50), kBlue);
    EXPECT_EQ(at(graph.picture(), 399, 150), kRed);
    EXPECT_EQ(at(graph.picture(), 396, 50), kRed);
}

namespace {

// The 1x picture with every pixel made a ratio x ratio block.
QImage blownUp(const QImage& image, int ratio)
{
    return image.scaled(image.size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

// At a device pixel ratio of 2 the chart is drawn at twice the resolution,
// not scaled up on screen: a grid line is 2 pixels wide, a column 6, and with
// values that land on whole pixels the picture is the 1x one, pixel doubled;
// the incremental path still draws what Replay draws.
TEST(PerformanceChartRatio, TwiceTheDensityIsTheSameChartInTwiceThePixels)
{
    struct Row { const char* name; TGraphKind kind; int width; bool gridlines; };
    for (const Row& r : {Row{"bars with grid", pgBar, 100, true}, Row{"bars, odd width", pgBar, 97, true},
                         Row{"lines without grid", pgLine, 100, false}}) {
        SCOPED_TRACE(r.name);
        PerformanceChart one, two;
        two.setDevicePixelRatio(2);
        for (PerformanceChart* chart : {&one, &two}) {
            chart->SetKind(r.kind);
            chart->SetGridlines(r.gridlines);
            chart->setSize(r.width, 100);
            for (int n = 0; n < 60; ++n) // scale 100, height 100: every value is a whole pixel
                sample(*chart, {{kRed, 10 + n % 30}, {kBlue, 50 + n % 40}, {kGreen, 95}});
        }
        const QImage& picture = two.picture();
        ASSERT_EQ(picture.size(), QSize(2 * r.width, 200));
        EXPECT_EQ(picture.devicePixelRatio(), 2.0);
        if (r.kind == pgBar) {
            EXPECT_EQ(firstDifference(picture, blownUp(one.picture(), 2)), "");
        }
        const QImage incremental = picture.copy();
        two.Replay();
        EXPECT_EQ(firstDifference(two.picture(), incremental, 2 * (r.width - one.GetBandCount() * 3)), "");
    }
    PerformanceChart chart; // back to 1x: the same picture as a chart that never left it
    PerformanceChart plain;
    chart.setDevicePixelRatio(2);
    for (PerformanceChart* c : {&chart, &plain}) {
        for (int n = 0; n < 20; ++n)
            sample(*c, {{kRed, 40}});
    }
    chart.setDevicePixelRatio(1);
    EXPECT_EQ(chart.picture().devicePixelRatio(), 1.0);
    EXPECT_EQ(firstDifference(chart.picture(), plain.picture()), "");
}
