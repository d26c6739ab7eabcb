// The widget around the chart: its event, its size and its picture.
#include "perfgrap.h"

#include <gtest/gtest.h>

#include "testapp.h"
#include <QSignalSpy>

using namespace quorvane;

TEST(TPerformanceGraph, FiresOnScaleChangeWithItselfAsSender)
{
    ensureApp();
    TPerformanceGraph graph;
    QSignalSpy spy(&graph, &TPerformanceGraph::OnScaleChange);
    graph.Update();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<TPerformanceGraph*>(), &graph);
    EXPECT_EQ(graph.GetScale(), 0);
}

TEST(TPerformanceGraph, PictureFollowsTheWidgetSizeAndKeepsTheNewestSamples)
{
    ensureApp();
    TPerformanceGraph graph;
    EXPECT_EQ(graph.picture().size(), QSize(100, 100));
    graph.SetKind(pgBar);
    graph.SetGridlines(false);
    graph.SetScale(100);
    for (int v = 1; v <= 50; ++v) {
        graph.DataPoint(Qt::red, v == 50 ? 50 : 100);
        graph.DataPoint(Qt::blue, 100);
        graph.Update();
    }
    graph.resize(400, 200);
    EXPECT_EQ(graph.picture().size(), QSize(400, 200));
    EXPECT_EQ(graph.GetBandCount(), 133);
    // The newest sample is still drawn at the right edge after the replay.
    EXPECT_EQ(graph.picture().pixel(399, 50) & 0xffffffu, 0x0000ffu);
    EXPECT_EQ(graph.picture().pixel(399, 150) & 0xffffffu, 0xff0000u);
    EXPECT_EQ(graph.picture().pixel(396, 50) & 0xffffffu, 0xff0000u);
}

TEST(TPerformanceGraph, SeventeenthPointThrows)
{
    ensureApp();
    TPerformanceGraph graph;
    for (int k = 0; k < 16; ++k)
        graph.DataPoint(Qt::red, k);
    EXPECT_THROW(graph.DataPoint(Qt::red, 1), ERangeError);
}
