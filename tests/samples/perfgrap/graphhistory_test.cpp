// The history ring and the scale arithmetic, without any picture.
#include "graphhistory.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace quorvane;

namespace {

std::vector<int> walkFromFirst(const GraphHistory& h)
{
    std::vector<int> order;
    for (int i = h.FirstY(); i != -1 && order.size() <= static_cast<std::size_t>(h.size()); i = h.NextY(i))
        order.push_back(i);
    return order;
}

std::int32_t firstValue(const GraphHistory& h, int band)
{
    return h.band(band).count > 0 ? h.band(band).values[0] : -1;
}

} // namespace

TEST(GraphHistory, NewRingWalksAllBandsFromOldestToCurrent)
{
    GraphHistory h(33);
    ASSERT_EQ(h.size(), 35);
    EXPECT_EQ(h.FirstY(), 1);
    EXPECT_EQ(h.current(), 0);
    const auto order = walkFromFirst(h);
    ASSERT_EQ(order.size(), 35u);
    EXPECT_EQ(order.front(), 1);
    EXPECT_EQ(order.back(), 0);
}

TEST(GraphHistory, NavigationWrapsAtBothEnds)
{
    GraphHistory h(3); // five bands, first 1
    struct Row { const char* name; int index; int next; int last; };
    const Row rows[] = {
        {"start of ring", 0, -1, 4}, // 0 + 1 == first: the walk is complete
        {"middle", 2, 3, 1},
        {"end of ring wraps to 0", 4, 0, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(h.NextY(r.index), r.next);
        EXPECT_EQ(h.LastY(r.index), r.last);
    }
}

TEST(GraphHistory, ShiftKeepsOldestJustAfterCurrentAndEmptiesTheNewBand)
{
    GraphHistory h(3);
    for (int sample = 1; sample <= 12; ++sample) {
        h.DataPoint(qRgb(255, 0, 0), sample);
        h.ShiftY();
        EXPECT_EQ(h.FirstY(), (h.current() + 1) % h.size());
        EXPECT_EQ(h.band(h.current()).count, 0);
        EXPECT_EQ(firstValue(h, h.LastY(h.current())), sample);
        const auto order = walkFromFirst(h);
        ASSERT_EQ(order.size(), 5u);
        EXPECT_EQ(order.back(), h.current());
    }
}

TEST(GraphHistory, SeventeenthPointIsRefusedAndTheBandKeepsSixteen)
{
    GraphHistory h(10);
    for (int k = 0; k < 16; ++k)
        h.DataPoint(qRgb(0, 0, 255), k + 1);
    EXPECT_THROW(h.DataPoint(qRgb(255, 0, 0), 99), ERangeError);
    EXPECT_THROW(h.DataPoint(qRgb(255, 0, 0), 99), std::out_of_range);
    EXPECT_EQ(h.band(h.current()).count, 16);
    EXPECT_EQ(h.largestValue(), 16);
}

TEST(GraphHistory, LargestValueNeverBelowZero)
{
    GraphHistory h(4);
    h.DataPoint(qRgb(0, 0, 0), -40);
    h.ShiftY();
    EXPECT_EQ(h.largestValue(), 0);
}

TEST(GraphHistory, ShrinkingKeepsTheNewestBands)
{
    GraphHistory h(8); // ten bands
    for (int v = 1; v <= 25; ++v) {
        h.DataPoint(qRgb(0, 255, 0), v);
        h.ShiftY();
    }
    h.ReallocHistory(3); // five bands: current (empty) and the newest four samples
    ASSERT_EQ(h.size(), 5);
    EXPECT_EQ(h.FirstY(), 0);
    EXPECT_EQ(h.current(), 4);
    EXPECT_EQ(h.band(4).count, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(firstValue(h, i), 22 + i);
}

TEST(GraphHistory, GrowingThenShrinkingNeverTakesEmptySlotsForNewData)
{
    GraphHistory h(3);
    for (int v = 1; v <= 7; ++v) {
        h.DataPoint(qRgb(0, 255, 0), v);
        h.ShiftY();
    }
    h.ReallocHistory(10); // twelve bands, the five old ones at 0..4
    EXPECT_EQ(h.current(), 4);
    EXPECT_EQ(firstValue(h, 3), 7);
    h.ReallocHistory(2); // four bands: the newest three samples and the current
    ASSERT_EQ(h.size(), 4);
    EXPECT_EQ(h.current(), 3);
    EXPECT_EQ(firstValue(h, 0), 5);
    EXPECT_EQ(firstValue(h, 1), 6);
    EXPECT_EQ(firstValue(h, 2), 7);
}

TEST(GraphArithmetic, RoundUp)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Row { const char* name; std::int32_t value; std::int32_t step; std::int32_t expected; };
    const Row rows[] = {
        {"zero stays zero", 0, 100, 0},
        {"250 rounds to 300", 250, 100, 300},
        {"multiple unchanged", 300, 100, 300},
        {"step 0 leaves value", 250, 0, 250},
        {"just above a multiple", 301, 100, 400},
        {"negative truncates toward zero first", -250, 100, -100},
        {"near the limit saturates", kMax - 5, 100, kMax},
        {"smallest by minus one", kMin, -1, kMin},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(RoundUp(r.value, r.step), r.expected);
    }
}

TEST(GraphArithmetic, PixelSize)
{
    struct Row { const char* name; std::int64_t value; int height; std::int32_t scale; int expected; };
    const Row rows[] = {
        {"plain", 30, 100, 100, 30},
        {"truncated", 50, 200, 300, 33},
        {"zero", 0, 100, 100, 0},
        {"negative on the baseline", -20, 100, 100, 0},
        {"above the scale stops at the top", 500, 100, 100, 100},
        {"scale 0 draws full height", 5, 80, 0, 80},
        {"negative scale draws full height", 5, 80, -100, 80},
        {"no height", 5, 0, 100, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(pixelSize(r.value, r.height, r.scale), r.expected);
    }
}

TEST(GraphArithmetic, BandCountNeverZero)
{
    EXPECT_EQ(bandCountFor(100, 3), 33);
    EXPECT_EQ(bandCountFor(100, 6), 16);
    EXPECT_EQ(bandCountFor(2, 3), 1);
    EXPECT_EQ(bandCountFor(0, 3), 1);
    EXPECT_EQ(bandCountFor(10, 0), 10);
}
