// SPDX-License-Identifier: MIT
#include "display/lamps.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(LampsTest, LightsExactlyTheLampsAtOrBelowTheSignal)
{
    // Signals at the k/8 boundaries are the doubles nearest maximum*k/8 computed
    // exactly (worked out with rational arithmetic), and their neighbours. The
    // "Rounded" rows are where rounding maximum*0.125*k to double first would
    // light one lamp too many.
    const struct {
        const char* name;
        double maximum, signal;
        int longLit, shortLit;
    } rows[] = {
        {"HalfMaxOneSixteenth", 0.5, 0.0625, 1, 0},
        {"HalfMaxBelowFirstLightsNone", 0.5, 0.06, 0, 0},
        {"HalfMaxThreeSixteenths", 0.5, 0.1875, 3, 0},
        {"SignalEqualToMaximum", 0.5, 0.5, 8, 0},
        {"SignalBeyondMaximum", 0.5, 0.75, 8, 0},
        {"NegativeQuarter", 0.5, -0.25, 0, 4},
        {"Zero", 0.5, 0.0, 0, 0},
        {"MinusZero", 0.5, -0.0, 0, 0},
        {"OddMaxThreeEighthsExact", 0.07, 0.026250000000000002, 3, 0},
        {"OddMaxJustBelowThreeEighths", 0.07, 0.02625, 2, 0},
        {"OddMaxSevenEighthsExact", 0.07, 0.061250000000000006, 7, 0},
        {"OddMaxJustBelowSevenEighths", 0.07, 0.06125, 6, 0},
        {"OddMaxShortThreeEighths", 0.07, -0.026250000000000002, 0, 3},
        {"OddMaxShortJustInsideThreeEighths", 0.07, -0.02625, 0, 2},
        {"OddMaxJustBelowFull", 0.07, 0.06999999999999999, 7, 0},
        {"ThreeHundredthsFiveEighths", 0.03, 0.01875, 5, 0},
        {"ThreeHundredthsJustBelowFiveEighths", 0.03, 0.018749999999999996, 4, 0},
        {"ThreeHundredthsFirstLamp", 0.03, 0.00375, 1, 0},
        {"ThreeHundredthsJustBelowFirstLamp", 0.03, 0.0037499999999999994, 0, 0},
        {"RoundedEightHundredthsThreeEighths", 0.08, 0.03, 2, 0},
        {"RoundedTenthFiveEighths", 0.1, 0.0625, 4, 0},
        {"RoundedHundredthThreeEighths", 0.01, 0.00375, 2, 0},
        {"RoundedHundredthSixEighths", 0.01, 0.0075, 5, 0},
        {"RoundedFiveHundredthsFiveEighths", 0.05, 0.03125, 4, 0},
        {"NinetyNineHundredthsSevenEighthsBelow", 0.99, 0.86625, 6, 0},
        {"NinetyNineHundredthsSevenEighthsAbove", 0.99, 0.8662500000000001, 7, 0},
        {"FarBeyondSmallMaximumShort", 0.01, -1.0, 0, 8},
        {"SmallestSignalLightsNothing", 1.0, 5e-324, 0, 0},
        {"ZeroMaximumLightsAllShort", 0.0, -0.001, 0, 8},
        {"NegativeMaximumLightsAll", -0.5, 0.1, 8, 0},
        {"ZeroMaximumZeroSignal", 0.0, 0.0, 0, 0},
        {"HugeValuesDoNotOverflow", 1.7e308, 1.7e308, 8, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LampState state = computeLamps(row.maximum, row.signal);
        EXPECT_EQ(state.longLit, row.longLit);
        EXPECT_EQ(state.shortLit, row.shortLit);
        // Tray: 1 positive, 2 negative, 0 zero; arrow: 4 up, 3 down, -1 kept.
        EXPECT_EQ(state.trayIndex, row.signal > 0 ? 1 : row.signal < 0 ? 2 : 0);
        EXPECT_EQ(state.arrowIndex, row.signal > 0 ? 4 : row.signal < 0 ? 3 : -1);
    }
}

TEST(LampsTest, LitCountRisesMonotonicallyToEightAndShortMirrorsLong)
{
    for (int position = 1; position <= 100; ++position) {
        const double maximum = position / 100.0;
        int previous = 0;
        for (int step = 1; step <= 400; ++step) {
            const double signal = maximum * step / 320.0;
            const LampState up = computeLamps(maximum, signal);
            const LampState down = computeLamps(maximum, -signal);
            ASSERT_GE(up.longLit, previous) << "maximum " << maximum << " signal " << signal;
            ASSERT_EQ(down.shortLit, up.longLit);
            ASSERT_EQ(down.longLit + up.shortLit, 0);
            previous = up.longLit;
        }
        EXPECT_EQ(previous, 8);
    }
}

} // namespace
} // namespace quorvane
