// SPDX-License-Identifier: MIT
// The widgets on a screen of twice the density (run with QT_SCALE_FACTOR=2):
// what reaches the screen is the cached picture copied 1:1, drawn at two
// device pixels per control pixel, never a 1x picture scaled up.
#include "samples/ccalendr/ccalendar.h"
#include "samples/cgauges/cgauge.h"
#include "samples/perfgrap/perfgrap.h"

#include "tests/support/qtapp.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

// Blocks of 2 x 2 pixels that are not one colour: a picture scaled up from
// 1x has none.
int mixedBlocks(const QImage& image)
{
    int mixed = 0;
    for (int y = 0; y + 2 <= image.height(); y += 2)
        for (int x = 0; x + 2 <= image.width(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c || image.pixel(x + 1, y + 1) != c)
                ++mixed;
        }
    return mixed;
}

// The widget as the screen shows it, in device pixels.
QImage onScreen(QWidget& widget)
{
    widget.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(HiDpi, TheScreenHasTwiceTheDensity)
{
    QWidget widget;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    ASSERT_EQ(widget.devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
}

TEST(HiDpi, PerformanceGraphShowsItsPictureOneToOne)
{
    TPerformanceGraph graph;
    graph.SetKind(pgLine);
    graph.resize(120, 80);
    for (int n = 0; n < 50; ++n) {
        graph.DataPoint(Qt::red, 100 + (n * 37) % 400);
        graph.Update();
    }
    const QImage shown = onScreen(graph);
    const QImage& picture = graph.picture();
    ASSERT_EQ(picture.size(), QSize(240, 160));
    EXPECT_EQ(shown, picture.convertToFormat(QImage::Format_RGB32));
    EXPECT_GT(mixedBlocks(shown), 0) << "the sloped lines are drawn finer than 1x pixels";
}

TEST(HiDpi, GaugeShowsItsPictureOneToOne)
{
    for (TCGaugeKind kind : {gkPie, gkNeedle, gkHorizontalBar}) {
        SCOPED_TRACE(kind);
        TCGauge gauge;
        gauge.SetKind(kind);
        gauge.SetProgress(37);
        gauge.resize(90, 70);
        const QImage shown = onScreen(gauge);
        ASSERT_EQ(gauge.picture().size(), QSize(180, 140));
        EXPECT_EQ(shown, gauge.picture().convertToFormat(QImage::Format_RGB32));
        EXPECT_GT(mixedBlocks(shown), 0) << "edges and text finer than 1x pixels";
    }
}

TEST(HiDpi, CalendarIsDrawnAtTheScreensDensity)
{
    TCCalendar calendar(nullptr, [] { return QDate(2024, 2, 14); });
    calendar.resize(210, 150);
    const QImage shown = onScreen(calendar);
    ASSERT_EQ(shown.size(), QSize(420, 300));
    EXPECT_GT(mixedBlocks(shown), 0);
}
