// The gauge widget: when it rebuilds its picture, and its errors.
#include "cgauge.h"

#include "testapp.h"

#include <gtest/gtest.h>

using namespace quorvane;

TEST(TCGauge, RebuildsOnlyWhenTheWholePercentageChanges)
{
    ensureApp();
    TCGauge gauge;
    gauge.SetMaxValue(1000);
    const int builds = gauge.pictureBuilds();
    gauge.SetProgress(5); // still 0 %
    EXPECT_EQ(gauge.pictureBuilds(), builds);
    gauge.SetProgress(10); // 1 %
    EXPECT_EQ(gauge.pictureBuilds(), builds + 1);
    gauge.SetKind(gkHorizontalBar); // unchanged
    EXPECT_EQ(gauge.pictureBuilds(), builds + 1);
    gauge.AddProgress(1); // always repaints
    EXPECT_EQ(gauge.pictureBuilds(), builds + 2);
    EXPECT_EQ(gauge.GetProgress(), 11);
}

TEST(TCGauge, AddProgressClampsWithoutOverflow)
{
    ensureApp();
    TCGauge gauge;
    gauge.SetMaxValue(std::numeric_limits<std::int32_t>::max());
    gauge.SetProgress(std::numeric_limits<std::int32_t>::max() - 1);
    gauge.AddProgress(10);
    EXPECT_EQ(gauge.GetProgress(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(gauge.GetPercentDone(), 100);
}

TEST(TCGauge, RefusedBoundLeavesGaugeAndPictureUnchanged)
{
    ensureApp();
    TCGauge gauge;
    gauge.SetProgress(40);
    const QImage before = gauge.picture().copy();
    try {
        gauge.SetMinValue(200);
        FAIL() << "expected an error";
    } catch (const GaugeRangeError& e) {
        EXPECT_STREQ(e.what(), "Value must be between -2147483647 and 99");
    }
    EXPECT_EQ(gauge.GetMinValue(), 0);
    EXPECT_EQ(gauge.GetProgress(), 40);
    EXPECT_EQ(gauge.picture(), before);
}

TEST(TCGauge, PictureFollowsTheSize)
{
    ensureApp();
    TCGauge gauge;
    EXPECT_EQ(gauge.picture().size(), QSize(100, 100));
    gauge.resize(240, 30);
    gauge.show();
    EXPECT_EQ(gauge.picture().size(), QSize(240, 30));
}
