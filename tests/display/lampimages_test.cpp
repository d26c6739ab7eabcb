// SPDX-License-Identifier: MIT
#include "display/lampimages.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <memory>

namespace quorvane {
namespace {

class LampImagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "display_test";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance())
            s_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    // Gone before static destruction, where Qt's own globals may already be torn down.
    static void TearDownTestSuite() { s_app.reset(); }
    static inline std::unique_ptr<QGuiApplication> s_app;

    const std::vector<QIcon> images = makeLampImages();
    QImage imageAt(std::size_t index, int ratio) const
    {
        return images.at(index).pixmap(QSize(16, 16), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
    }
};

TEST_F(LampImagesTest, FivePicturesAtThreeScalesWithTransparentCorners)
{
    ASSERT_EQ(images.size(), 5u);
    for (std::size_t i = 0; i < images.size(); ++i) {
        for (const int ratio : {1, 2, 3}) {
            SCOPED_TRACE(std::to_string(i) + " at " + std::to_string(ratio) + "x");
            const QImage image = imageAt(i, ratio);
            EXPECT_EQ(image.size(), QSize(16 * ratio, 16 * ratio));
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, 0)), 0);
        }
    }
}

TEST_F(LampImagesTest, LampsHaveTheirColoursAndSoftEdges)
{
    const std::pair<const char*, bool (*)(QRgb)> lamps[] = {
        {"white", [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200; }},
        {"green", [](QRgb c) { return qGreen(c) > 120 && qRed(c) < 100 && qBlue(c) < 100; }},
        {"red", [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; }},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(lamps[i].first);
        const QImage image = imageAt(i, 2);
        const QRgb centre = image.pixel(18, 18); // below right of the highlight
        EXPECT_EQ(qAlpha(centre), 255);
        EXPECT_TRUE(lamps[i].second(centre)) << std::hex << centre;
        int partial = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                partial += qAlpha(image.pixel(x, y)) % 255 != 0 ? 1 : 0;
        EXPECT_GT(partial, 8) << "edge is not antialiased";
    }
}

TEST_F(LampImagesTest, ArrowsPointTheirWayInTheirColours)
{
    const auto rowWidth = [](const QImage& image, int y) {
        int width = 0;
        for (int x = 0; x < image.width(); ++x)
            width += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        return width;
    };
    const QImage down = imageAt(3, 1), up = imageAt(4, 1);
    // The head is wider than the shaft.
    EXPECT_GT(rowWidth(up, 5), rowWidth(up, 13));
    EXPECT_GT(rowWidth(down, 10), rowWidth(down, 2));
    const QRgb violet = down.pixel(8, 4), green = up.pixel(8, 11);
    EXPECT_TRUE(qRed(violet) > qGreen(violet) && qBlue(violet) > qGreen(violet)) << std::hex << violet;
    EXPECT_TRUE(qGreen(green) > qRed(green) && qGreen(green) > qBlue(green)) << std::hex << green;
}

} // namespace
} // namespace quorvane
