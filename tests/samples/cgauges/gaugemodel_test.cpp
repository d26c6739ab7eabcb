// The gauge's range rules and the geometry of its forms.
#include "gaugemodel.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

using namespace quorvane;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

enum class Op { Min, Max, Progress };

struct SetterRow {
    const char* name;
    std::int32_t min, max, progress; // the gauge before
    Op op;
    std::int64_t value;
    std::int32_t expectMin, expectMax, expectProgress;
    int expectPercent;
    bool expectRepaint;
    const char* expectError; // "" when the setter succeeds
};

void PrintTo(const SetterRow& row, std::ostream* os) { *os << row.name; }

GaugeRange make(std::int32_t min, std::int32_t max, std::int32_t progress)
{
    GaugeRange range;
    // Open the range wide first so any starting point is reachable.
    range.SetMinValue(kMin);
    range.SetMaxValue(kMax);
    range.SetMinValue(min);
    range.SetMaxValue(max);
    range.SetProgress(progress);
    return range;
}

class GaugeSetters : public ::testing::TestWithParam<SetterRow> {};

} // namespace

TEST_P(GaugeSetters, KeepTheInvariant)
{
    const SetterRow& r = GetParam();
    GaugeRange range = make(r.min, r.max, r.progress);
    bool repaint = false;
    std::string error;
    try {
        switch (r.op) {
        case Op::Min: repaint = range.SetMinValue(static_cast<std::int32_t>(r.value)); break;
        case Op::Max: repaint = range.SetMaxValue(static_cast<std::int32_t>(r.value)); break;
        case Op::Progress: repaint = range.SetProgress(r.value); break;
        }
    } catch (const GaugeRangeError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, r.expectError);
    EXPECT_EQ(range.GetMinValue(), r.expectMin);
    EXPECT_EQ(range.GetMaxValue(), r.expectMax);
    EXPECT_EQ(range.GetProgress(), r.expectProgress);
    EXPECT_EQ(range.GetPercentDone(), r.expectPercent);
    EXPECT_EQ(repaint, r.expectRepaint);
}

INSTANTIATE_TEST_SUITE_P(
    Gauge, GaugeSetters,
    ::testing::Values(
        SetterRow{"ProgressInRange", 0, 100, 0, Op::Progress, 33, 0, 100, 33, 33, true, ""},
        SetterRow{"ProgressAboveMaxClamps", 0, 100, 20, Op::Progress, 150, 0, 100, 100, 100, true, ""},
        SetterRow{"ProgressBelowMinClamps", 0, 100, 20, Op::Progress, -5, 0, 100, 0, 0, true, ""},
        SetterRow{"ProgressSamePercentNoRepaint", 0, 1000, 10, Op::Progress, 19, 0, 1000, 19, 1, false, ""},
        SetterRow{"ProgressNextPercentRepaints", 0, 1000, 10, Op::Progress, 20, 0, 1000, 20, 2, true, ""},
        SetterRow{"ProgressFarBeyondInt32", 0, 100, 0, Op::Progress, 1LL << 40, 0, 100, 100, 100, true, ""},
        SetterRow{"SymmetricRangeMiddle", -50, 50, -50, Op::Progress, 0, -50, 50, 0, 50, true, ""},
        SetterRow{"MaxBelowProgressLowersIt", 0, 100, 40, Op::Max, 10, 0, 10, 10, 100, true, ""},
        SetterRow{"MinAboveProgressRaisesIt", 0, 100, 40, Op::Min, 60, 60, 100, 60, 0, true, ""},
        SetterRow{"MinAboveMaxRefused", 0, 100, 40, Op::Min, 200, 0, 100, 40, 40, false,
                  "Value must be between -2147483647 and 99"},
        SetterRow{"MaxBelowMinRefused", 10, 100, 40, Op::Max, 5, 10, 100, 40, 33, false,
                  "Value must be between 11 and 2147483647"},
        SetterRow{"MinEqualMaxAccepted", 0, 100, 40, Op::Min, 100, 100, 100, 100, 0, true, ""},
        SetterRow{"MaxEqualMinAccepted", 0, 100, 40, Op::Max, 0, 0, 0, 0, 0, true, ""},
        SetterRow{"SameMinDoesNothing", 0, 100, 40, Op::Min, 0, 0, 100, 40, 40, false, ""},
        SetterRow{"MaxBelowLowestMinMessage", kMax, kMax, kMax, Op::Max, 0, kMax, kMax, kMax, 0, false,
                  "Value must be between 2147483648 and 2147483647"},
        SetterRow{"FullRangeNoOverflow", kMin, kMax, kMin, Op::Progress, 0, kMin, kMax, 0, 50, true, ""},
        SetterRow{"FullRangeTop", kMin, kMax, kMin, Op::Progress, kMax, kMin, kMax, kMax, 100, true, ""}),
    [](const ::testing::TestParamInfo<SetterRow>& info) { return std::string(info.param.name); });

TEST(GaugeGeometry, HorizontalBar)
{
    struct Row { const char* name; bool bordered; int percent; GaugeRect expected; };
    const Row rows[] = {
        // W = 99 for a bordered 100-pixel gauge: 33 % of 99 = 32.67 -> 32.
        {"33 % bordered", true, 33, {1, 1, 32, 99}},
        {"100 % bordered fills the area", true, 100, {1, 1, 99, 99}},
        {"50 % plain", false, 50, {0, 0, 50, 101}},
        {"0 % is empty", true, 0, {1, 1, 1, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(horizontalBar(paintRectFor(100, 100, r.bordered), r.percent), r.expected);
    }
}

TEST(GaugeGeometry, VerticalBar)
{
    struct Row { const char* name; bool bordered; int percent; GaugeRect expected; };
    const Row rows[] = {
        {"100 % plain stops one pixel short", false, 100, {0, 1, 101, 101}},
        {"100 % bordered", true, 100, {1, 1, 99, 99}},
        {"50 % bordered", true, 50, {1, 50, 99, 99}},
        {"0 % is empty", true, 0, {1, 99, 99, 99}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(verticalBar(paintRectFor(100, 100, r.bordered), r.percent), r.expected);
    }
}

TEST(GaugeGeometry, PieStartRunsClockwiseFromTwelve)
{
    const GaugeExtent e = roundExtent(paintRectFor(100, 100, true), true);
    ASSERT_EQ(e.w, 99);
    struct Row { const char* name; int percent; GaugePoint expected; };
    const Row rows[] = {
        {"quarter at three o'clock", 25, {98, 49}},
        {"half at six o'clock", 50, {49, 98}},
        {"three quarters at nine o'clock", 75, {0, 49}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const GaugePoint p = pieStart(e, r.percent);
        EXPECT_NEAR(p.x, r.expected.x, 1);
        EXPECT_NEAR(p.y, r.expected.y, 1);
    }
}

TEST(GaugeGeometry, NeedleSweepsLeftUpRight)
{
    const GaugeRect area = paintRectFor(100, 100, true); // bottom 99
    EXPECT_EQ(needleFoot(100, area), (GaugePoint{50, 98}));
    EXPECT_EQ(needleTip(100, area, 0), (GaugePoint{0, 98}));
    const GaugePoint up = needleTip(100, area, 50);
    EXPECT_NEAR(up.x, 50, 1);
    EXPECT_EQ(up.y, 0);
    const GaugePoint right = needleTip(100, area, 100);
    EXPECT_EQ(right.x, 100);
    EXPECT_NEAR(right.y, 98, 1);
}

TEST(GaugeGeometry, TextIsCentredInThePaintArea)
{
    const GaugeRect area = paintRectFor(100, 40, true);
    EXPECT_EQ(textOrigin(area, 21, 13), (GaugePoint{39, 13}));
    // Wider than the gauge: truncating division toward zero, used as is.
    EXPECT_EQ(textOrigin(area, 120, 13), (GaugePoint{-10, 13}));
}
