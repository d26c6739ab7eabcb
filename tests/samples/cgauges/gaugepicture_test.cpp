// Pixels of the rendered gauge: bars, the pie and needle forms, and the
// percentage text drawn by exclusive-or.
#include "gaugepicture.h"

#include "testapp.h"

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kGrey(192, 192, 192);

QRgb px(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xffffffu;
}

QRgb rgb(const QColor& c)
{
    return c.rgb() & 0xffffffu;
}

GaugeLook look(TCGaugeKind kind, bool bordered = true)
{
    ensureApp();
    GaugeLook l;
    l.kind = kind;
    l.showText = false;
    l.borderStyle = bordered ? bsSingle : bsNone;
    l.foreColor = kBlue;
    l.backColor = kWhite;
    l.color = kGrey;
    return l;
}

} // namespace

TEST(GaugePicture, HorizontalBarAt33PercentFillsFromTheBorderTo32)
{
    const QImage image = renderGauge(look(gkHorizontalBar), 100, 100, 33);
    for (int y : {0, 99})
        EXPECT_EQ(px(image, 50, y), 0u) << "border row " << y;
    EXPECT_EQ(px(image, 0, 50), 0u);
    EXPECT_EQ(px(image, 99, 50), 0u);
    for (int x = 1; x < 32; ++x)
        ASSERT_EQ(px(image, x, 50), rgb(kBlue)) << x;
    for (int x = 32; x < 99; ++x)
        ASSERT_EQ(px(image, x, 50), rgb(kWhite)) << x;
    EXPECT_EQ(px(image, 10, 1), rgb(kBlue));
    EXPECT_EQ(px(image, 10, 98), rgb(kBlue));
}

TEST(GaugePicture, VerticalBarAtFullStopsOnePixelShortOfTheTop)
{
    const QImage plain = renderGauge(look(gkVerticalBar, false), 100, 100, 100);
    EXPECT_EQ(px(plain, 50, 0), rgb(kWhite));
    for (int y = 1; y < 100; ++y)
        ASSERT_EQ(px(plain, 50, y), rgb(kBlue)) << y;

    const QImage half = renderGauge(look(gkVerticalBar), 100, 100, 50);
    EXPECT_EQ(px(half, 50, 49), rgb(kWhite));
    EXPECT_EQ(px(half, 50, 50), rgb(kBlue));
    EXPECT_EQ(px(half, 50, 98), rgb(kBlue));
    EXPECT_EQ(px(half, 50, 99), 0u);
}

TEST(GaugePicture, TextOnlyFormIsTheBackground)
{
    const QImage image = renderGauge(look(gkText), 60, 30, 70);
    EXPECT_EQ(px(image, 0, 0), 0u);
    EXPECT_EQ(px(image, 1, 1), rgb(kWhite));
    EXPECT_EQ(px(image, 58, 28), rgb(kWhite));
}

TEST(GaugePicture, PieWedgeStartsAtTwelveAndRunsClockwise)
{
    struct Row { const char* name; int percent; bool upperRight, lowerRight, lowerLeft, upperLeft; };
    const Row rows[] = {
        {"0 % is only the outline", 0, false, false, false, false},
        {"25 %", 25, true, false, false, false},
        {"50 %", 50, true, true, false, false},
        {"75 %", 75, true, true, true, false},
        {"100 %", 100, true, true, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QImage image = renderGauge(look(gkPie), 100, 100, r.percent);
        EXPECT_EQ(px(image, 2, 2), rgb(kGrey)) << "surround";
        auto filled = [&](int x, int y) { return px(image, x, y) == rgb(kBlue); };
        EXPECT_EQ(filled(70, 30), r.upperRight);
        EXPECT_EQ(filled(70, 70), r.lowerRight);
        EXPECT_EQ(filled(30, 70), r.lowerLeft);
        EXPECT_EQ(filled(30, 30), r.upperLeft);
    }
}

TEST(GaugePicture, NeedleShowsOnlyTheDialAtZeroAndPointsUpAtHalf)
{
    const QImage zero = renderGauge(look(gkNeedle), 100, 100, 0);
    const QImage half = renderGauge(look(gkNeedle), 100, 100, 50);
    EXPECT_EQ(px(zero, 50, 40), rgb(kWhite));
    EXPECT_TRUE(px(half, 49, 40) == rgb(kBlue) || px(half, 50, 40) == rgb(kBlue));
    EXPECT_EQ(px(zero, 3, 3), rgb(kGrey)) << "surround above the dial";
    EXPECT_EQ(px(zero, 50, 1), rgb(kBlue)) << "outline at the top of the dial";
}

TEST(GaugePicture, PercentageTextShowsInTheInverseOfWhatLiesBeneath)
{
    GaugeLook l = look(gkHorizontalBar);
    l.foreColor = Qt::black;
    l.font.setPixelSize(30);
    const QImage bare = renderGauge(l, 100, 40, 50);
    l.showText = true;
    const QImage text = renderGauge(l, 100, 40, 50);

    int overBar = 0;
    int overBackground = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (px(text, x, y) == px(bare, x, y))
                continue;
            ASSERT_EQ(px(text, x, y), px(bare, x, y) ^ 0xffffffu) << x << "," << y;
            (x < 50 ? overBar : overBackground) += 1;
            EXPECT_TRUE(x >= 1 && x < 99 && y >= 1 && y < 39) << "text stays inside the border";
        }
    }
    EXPECT_GT(overBar, 0) << "white text over the black bar";
    EXPECT_GT(overBackground, 0) << "black text over the white background";
}

TEST(GaugePicture, TinyAndEmptyGaugesDoNotCrash)
{
    for (TCGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle}) {
        GaugeLook l = look(kind);
        l.showText = true;
        EXPECT_EQ(renderGauge(l, 2, 2, 100).size(), QSize(2, 2));
        EXPECT_EQ(renderGauge(l, 1, 5, 40).size(), QSize(1, 5));
        EXPECT_TRUE(renderGauge(l, 0, 5, 40).isNull());
    }
}
