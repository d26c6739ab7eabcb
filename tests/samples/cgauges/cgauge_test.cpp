// SPDX-License-Identifier: MIT
// Gauge: range rules, rendered pixels of every form with the exclusive-or
// text, and when the widget rebuilds its picture.
#include "samples/cgauges/cgauge.h"
#include "samples/cgauges/gaugepicture.h"

#include "tests/support/qtapp.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace quorvane;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr QRgb kBlue = 0x0000ff, kWhite = 0xffffff, kGrey = 0xc0c0c0;

QRgb px(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xffffffu; }

QImage render(TCGaugeKind kind, int width, int height, int percent, bool bordered = true)
{
    GaugeLook look;
    look.kind = kind;
    look.showText = false;
    look.borderStyle = bordered ? bsSingle : bsNone;
    look.foreColor = QColor(kBlue);
    look.backColor = QColor(kWhite);
    look.color = QColor(kGrey);
    return renderGauge(look, width, height, percent);
}

} // namespace

TEST(GaugeRange, SettersKeepTheInvariant)
{
    enum Op { Min, Max, Progress };
    struct Row { // the gauge before, the call, the gauge after, repaint, error
        const char* name;
        std::int32_t min, max, progress;
        Op op;
        std::int64_t value;
        std::int32_t expectMin, expectMax, expectProgress, expectPercent;
        bool expectRepaint;
        const char* expectError;
    };
    const Row rows[] = {
        {"progress in range", 0, 100, 0, Progress, 33, 0, 100, 33, 33, true, ""},
        {"progress above max clamps", 0, 100, 20, Progress, 150, 0, 100, 100, 100, true, ""},
        {"progress below min clamps", 0, 100, 20, Progress, -5, 0, 100, 0, 0, true, ""},
        {"same whole percent: no repaint", 0, 1000, 10, Progress, 19, 0, 1000, 19, 1, false, ""},
        {"next whole percent repaints", 0, 1000, 10, Progress, 20, 0, 1000, 20, 2, true, ""},
        {"progress far beyond int32", 0, 100, 0, Progress, 1LL << 40, 0, 100, 100, 100, true, ""},
        {"symmetric range middle", -50, 50, -50, Progress, 0, -50, 50, 0, 50, true, ""},
        {"max below progress lowers it", 0, 100, 40, Max, 10, 0, 10, 10, 100, true, ""},
        {"min above progress raises it", 0, 100, 40, Min, 60, 60, 100, 60, 0, true, ""},
        {"min above max refused", 0, 100, 40, Min, 200, 0, 100, 40, 40, false,
         "Value must be between -2147483647 and 99"},
        {"max below min refused", 10, 100, 40, Max, 5, 10, 100, 40, 33, false,
         "Value must be between 11 and 2147483647"},
        {"min equal max accepted", 0, 100, 40, Min, 100, 100, 100, 100, 0, true, ""},
        {"max equal min accepted", 0, 100, 40, Max, 0, 0, 0, 0, 0, true, ""},
        {"same min does nothing", 0, 100, 40, Min, 0, 0, 100, 40, 40, false, ""},
        {"message bound beyond int32", kMax, kMax, kMax, Max, 0, kMax, kMax, kMax, 0, false,
         "Value must be between 2147483648 and 2147483647"},
        {"full range without overflow", kMin, kMax, kMin, Progress, 0, kMin, kMax, 0, 50, true, ""},
        {"full range top", kMin, kMax, kMin, Progress, kMax, kMin, kMax, kMax, 100, true, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GaugeRange range; // open the range wide first so any start is reachable
        range.SetMinValue(kMin);
        range.SetMaxValue(kMax);
        range.SetMinValue(r.min);
        range.SetMaxValue(r.max);
        range.SetProgress(r.progress);
        bool repaint = false;
        std::string error;
        try {
            const auto v32 = static_cast<std::int32_t>(r.value);
            repaint = r.op == Min ? range.SetMinValue(v32)
                    : r.op == Max ? range.SetMaxValue(v32) : range.SetProgress(r.value);
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
}

TEST(GaugePicture, BarsFillTheirEdgeBasedRectangles)
{
    // 33 % of a bordered 100-pixel gauge: columns 1 to 31 inside the black border.
    const QImage h = render(gkHorizontalBar, 100, 100, 33);
    for (int x = 0; x < 100; ++x)
        ASSERT_EQ(px(h, x, 50), x == 0 || x == 99 ? 0u : x < 32 ? kBlue : kWhite) << x;
    EXPECT_EQ(px(h, 10, 0), 0u);
    EXPECT_EQ(px(h, 10, 1), kBlue);
    EXPECT_EQ(px(h, 10, 98), kBlue);
    // A vertical bar at 100 % without border stops one pixel short of the top.
    const QImage v = render(gkVerticalBar, 100, 100, 100, false);
    for (int y = 0; y < 100; ++y)
        ASSERT_EQ(px(v, 50, y), y == 0 ? kWhite : kBlue) << y;
    const QImage half = render(gkVerticalBar, 100, 100, 50);
    EXPECT_EQ(px(half, 50, 49), kWhite);
    EXPECT_EQ(px(half, 50, 50), kBlue);
    EXPECT_EQ(px(half, 50, 99), 0u);
}

TEST(GaugePicture, PieAndNeedle)
{
    struct Row { int percent; bool upperRight, lowerRight, lowerLeft, upperLeft; };
    for (const Row& r : {Row{0, false, false, false, false}, Row{25, true, false, false, false},
                         Row{50, true, true, false, false}, Row{75, true, true, true, false},
                         Row{100, true, true, true, true}}) {
        SCOPED_TRACE(r.percent);
        const QImage image = render(gkPie, 100, 100, r.percent);
        EXPECT_EQ(px(image, 2, 2), kGrey) << "surround";
        EXPECT_EQ(px(image, 70, 30) == kBlue, r.upperRight);
        EXPECT_EQ(px(image, 70, 70) == kBlue, r.lowerRight);
        EXPECT_EQ(px(image, 30, 70) == kBlue, r.lowerLeft);
        EXPECT_EQ(px(image, 30, 30) == kBlue, r.upperLeft);
    }
    const QImage zero = render(gkNeedle, 100, 100, 0);
    const QImage half = render(gkNeedle, 100, 100, 50);
    EXPECT_EQ(px(zero, 50, 40), kWhite);
    EXPECT_TRUE(px(half, 49, 40) == kBlue || px(half, 50, 40) == kBlue);
    EXPECT_EQ(px(zero, 3, 3), kGrey);
    EXPECT_EQ(px(zero, 50, 1), kBlue) << "outline at the top of the dial";
}

TEST(GaugePicture, PercentageTextShowsInTheInverseOfWhatLiesBeneath)
{
    GaugeLook look;
    look.showText = false;
    look.foreColor = Qt::black;
    look.font.setPixelSize(30);
    const QImage bare = renderGauge(look, 100, 40, 50);
    look.showText = true;
    const QImage text = renderGauge(look, 100, 40, 50);
    int overBar = 0, overBackground = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            if (px(text, x, y) == px(bare, x, y))
                continue;
            ASSERT_EQ(px(text, x, y), px(bare, x, y) ^ 0xffffffu) << x << "," << y;
            ASSERT_TRUE(x >= 1 && x < 99 && y >= 1 && y < 39) << "text stays inside the border";
            ++(x < 50 ? overBar : overBackground);
        }
    EXPECT_GT(overBar, 0) << "white text over the black bar";
    EXPECT_GT(overBackground, 0) << "black text over the white background";
}

TEST(GaugePicture, TinyAndEmptyGaugesDoNotCrash)
{
    for (TCGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle}) {
        GaugeLook look;
        look.kind = kind;
        EXPECT_EQ(renderGauge(look, 2, 2, 100).size(), QSize(2, 2));
        EXPECT_EQ(renderGauge(look, 1, 5, 40).size(), QSize(1, 5));
        EXPECT_TRUE(renderGauge(look, 0, 5, 40).isNull());
    }
}

// Regression: Color was copied from the palette once and then ignored its changes.
TEST(TCGauge, ColorFollowsThePaletteUntilSet)
{
    QWidget parent;
    auto* gauge = new TCGauge(&parent);
    gauge->SetKind(gkPie);
    gauge->SetShowText(false);
    const auto setWindow = [&](QColor color) {
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, color);
        parent.setPalette(palette);
    };
    setWindow(QColor(10, 20, 30));
    EXPECT_EQ(gauge->GetColor(), QColor(10, 20, 30));
    EXPECT_EQ(px(gauge->picture(), 2, 2), 0x0a141eu) << "the surround is drawn in it";

    gauge->SetColor(QColor(10, 20, 30)); // the user's, although equal to the palette's
    setWindow(QColor(200, 0, 0));
    EXPECT_EQ(gauge->GetColor(), QColor(10, 20, 30));
    gauge->SetColor(QColor()); // back to the palette
    EXPECT_EQ(gauge->GetColor(), QColor(200, 0, 0));
    setWindow(QColor(0, 200, 0));
    EXPECT_EQ(px(gauge->picture(), 2, 2), 0x00c800u);
}

TEST(TCGauge, RebuildsOnlyWhenTheLookOrWholePercentageChanges)
{
    TCGauge gauge;
    gauge.SetMaxValue(1000);
    const int builds = gauge.pictureBuilds();
    gauge.SetProgress(5); // still 0 %
    gauge.SetKind(gkHorizontalBar); // unchanged
    EXPECT_EQ(gauge.pictureBuilds(), builds);
    gauge.SetProgress(10); // 1 %
    gauge.AddProgress(1); // always repaints
    EXPECT_EQ(gauge.pictureBuilds(), builds + 2);
    EXPECT_EQ(gauge.GetProgress(), 11);

    const QImage before = gauge.picture().copy();
    EXPECT_THROW(gauge.SetMinValue(2000), GaugeRangeError);
    EXPECT_EQ(gauge.GetMinValue(), 0);
    EXPECT_EQ(gauge.picture(), before);

    gauge.SetMaxValue(kMax);
    gauge.SetProgress(kMax - 1);
    gauge.AddProgress(10); // sums in 64 bits before clamping
    EXPECT_EQ(gauge.GetProgress(), kMax);
    EXPECT_EQ(gauge.GetPercentDone(), 100);
    gauge.resize(240, 30);
    gauge.show();
    EXPECT_EQ(gauge.picture().size(), QSize(240, 30));
}

namespace {

// Blocks of ratio x ratio pixels that are not one colour: an image that was
// only scaled up has none.
int mixedBlocks(const QImage& image, int ratio)
{
    int mixed = 0;
    for (int y = 0; y + ratio <= image.height(); y += ratio)
        for (int x = 0; x + ratio <= image.width(); x += ratio)
            for (int i = 0; i < ratio * ratio; ++i)
                if (px(image, x + i % ratio, y + i / ratio) != px(image, x, y)) {
                    ++mixed;
                    break;
                }
    return mixed;
}

} // namespace

// At a device pixel ratio of 2 the gauge is drawn at twice the resolution:
// rectangles are the 1x ones in twice the pixels, round edges and the text are
// finer than a 1x picture blown up.
TEST(GaugePicture, TwiceTheDensityIsDrawnNotBlownUp)
{
    struct Row { const char* name; TCGaugeKind kind; bool text; bool exactDouble; };
    for (const Row& r : {Row{"horizontal bar", gkHorizontalBar, false, true}, Row{"vertical bar", gkVerticalBar, false, true},
                         Row{"pie", gkPie, false, false}, Row{"needle", gkNeedle, false, false},
                         Row{"text", gkText, true, false}}) {
        SCOPED_TRACE(r.name);
        GaugeLook look;
        look.kind = r.kind;
        look.showText = r.text;
        look.foreColor = QColor(kBlue);
        const QImage one = renderGauge(look, 100, 60, 37);
        const QImage two = renderGauge(look, 100, 60, 37, 2.0);
        ASSERT_EQ(one.size(), QSize(100, 60));
        ASSERT_EQ(two.size(), QSize(200, 120));
        EXPECT_EQ(two.devicePixelRatio(), 2.0);
        const QImage doubled = one.scaled(200, 120, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (r.exactDouble)
            EXPECT_EQ(two.convertToFormat(QImage::Format_RGB32), doubled.convertToFormat(QImage::Format_RGB32));
        else
            EXPECT_GT(mixedBlocks(two, 2), 0) << "finer than 1x pixels";
        EXPECT_EQ(mixedBlocks(doubled, 2), 0);
    }
}
