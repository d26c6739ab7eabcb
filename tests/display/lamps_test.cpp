#include "lamps.h"

#include <gtest/gtest.h>

#include <ostream>

namespace quorvane {
namespace {

struct LampRow {
    const char* name;
    double maximum;
    double signal;
    int longLit;
    int shortLit;
    int trayIndex;
    int arrowIndex;
};

// Failures name the row instead of dumping its bytes.
void PrintTo(const LampRow& row, std::ostream* out) { *out << row.name; }

class LampsTest : public ::testing::TestWithParam<LampRow> {};

TEST_P(LampsTest, LightsExactlyTheLampsAtOrBelowTheSignal)
{
    const LampRow& row = GetParam();
    const LampState state = ComputeLamps(row.maximum, row.signal);
    EXPECT_EQ(state.longLit, row.longLit);
    EXPECT_EQ(state.shortLit, row.shortLit);
    EXPECT_EQ(state.trayIndex, row.trayIndex);
    EXPECT_EQ(state.arrowIndex, row.arrowIndex);
}

// Signals at the k/8 boundaries are the doubles nearest maximum*k/8 computed
// exactly (worked out with rational arithmetic), and their neighbours. The
// "Rounded" rows are where rounding maximum*0.125*k to double first would light
// one lamp too many.
const LampRow lampRows[] = {
    {"HalfMaxOneSixteenthLightsOne", 0.5, 0.0625, 1, 0, 1, 4},
    {"HalfMaxBelowFirstLightsNoneButShowsUp", 0.5, 0.06, 0, 0, 1, 4},
    {"HalfMaxThreeSixteenthsLightsThree", 0.5, 0.1875, 3, 0, 1, 4},
    {"SignalEqualToMaximumLightsAll", 0.5, 0.5, 8, 0, 1, 4},
    {"SignalBeyondMaximumLightsAll", 0.5, 0.75, 8, 0, 1, 4},
    {"NegativeQuarterLightsFourShort", 0.5, -0.25, 0, 4, 2, 3},
    {"ZeroKeepsArrow", 0.5, 0.0, 0, 0, 0, -1},
    {"MinusZeroIsZero", 0.5, -0.0, 0, 0, 0, -1},
    {"OddMaxThreeEighthsExact", 0.07, 0.026250000000000002, 3, 0, 1, 4},
    {"OddMaxJustBelowThreeEighths", 0.07, 0.02625, 2, 0, 1, 4},
    {"OddMaxSevenEighthsExact", 0.07, 0.061250000000000006, 7, 0, 1, 4},
    {"OddMaxJustBelowSevenEighths", 0.07, 0.06125, 6, 0, 1, 4},
    {"OddMaxShortThreeEighths", 0.07, -0.026250000000000002, 0, 3, 2, 3},
    {"OddMaxShortJustInsideThreeEighths", 0.07, -0.02625, 0, 2, 2, 3},
    {"OddMaxJustBelowFull", 0.07, 0.06999999999999999, 7, 0, 1, 4},
    {"ThreeHundredthsFiveEighths", 0.03, 0.01875, 5, 0, 1, 4},
    {"ThreeHundredthsJustBelowFiveEighths", 0.03, 0.018749999999999996, 4, 0, 1, 4},
    {"ThreeHundredthsFirstLamp", 0.03, 0.00375, 1, 0, 1, 4},
    {"ThreeHundredthsJustBelowFirstLamp", 0.03, 0.0037499999999999994, 0, 0, 1, 4},
    {"RoundedEightHundredthsThreeEighths", 0.08, 0.03, 2, 0, 1, 4},
    {"RoundedEightHundredthsShort", 0.08, -0.03, 0, 2, 2, 3},
    {"RoundedTenthFiveEighths", 0.1, 0.0625, 4, 0, 1, 4},
    {"RoundedHundredthThreeEighths", 0.01, 0.00375, 2, 0, 1, 4},
    {"RoundedHundredthSixEighths", 0.01, 0.0075, 5, 0, 1, 4},
    {"RoundedFiveHundredthsFiveEighths", 0.05, 0.03125, 4, 0, 1, 4},
    {"NinetyNineHundredthsSevenEighthsBelow", 0.99, 0.86625, 6, 0, 1, 4},
    {"NinetyNineHundredthsSevenEighthsAbove", 0.99, 0.8662500000000001, 7, 0, 1, 4},
    {"FarBeyondSmallMaximum", 0.01, 1.0, 8, 0, 1, 4},
    {"FarBeyondSmallMaximumShort", 0.01, -1.0, 0, 8, 2, 3},
    {"SmallestSignalLightsNothing", 1.0, 5e-324, 0, 0, 1, 4},
    {"ZeroMaximumLightsAllLong", 0.0, 0.001, 8, 0, 1, 4},
    {"ZeroMaximumLightsAllShort", 0.0, -0.001, 0, 8, 2, 3},
    {"NegativeMaximumLightsAll", -0.5, 0.1, 8, 0, 1, 4},
    {"ZeroMaximumZeroSignal", 0.0, 0.0, 0, 0, 0, -1},
    {"HugeValuesDoNotOverflow", 1.7e308, 1.7e308, 8, 0, 1, 4},
};

INSTANTIATE_TEST_SUITE_P(Rows, LampsTest, ::testing::ValuesIn(lampRows),
                         [](const ::testing::TestParamInfo<LampRow>& info) { return std::string(info.param.name); });

TEST(LampsSweepTest, LitCountNeverFallsAsTheSignalGrows)
{
    // Every track-bar maximum, signals stepping through the whole range: the lit
    // count rises monotonically from 0 to 8 and is symmetric for the short row.
    for (int position = 1; position <= 100; ++position) {
        const double maximum = position / 100.0;
        int previous = 0;
        for (int step = 1; step <= 400; ++step) {
            const double signal = maximum * step / 320.0;
            const LampState up = ComputeLamps(maximum, signal);
            const LampState down = ComputeLamps(maximum, -signal);
            ASSERT_GE(up.longLit, previous) << "maximum " << maximum << " signal " << signal;
            ASSERT_EQ(down.shortLit, up.longLit);
            ASSERT_EQ(down.longLit, 0);
            ASSERT_EQ(up.shortLit, 0);
            previous = up.longLit;
        }
        EXPECT_EQ(previous, 8);
    }
}

} // namespace
} // namespace quorvane
