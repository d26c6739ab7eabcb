#include "lampimages.h"

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

    static QImage imageAt(const QIcon& icon, int ratio)
    {
        return icon.pixmap(QSize(16, 16), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
    }

    // Opaque pixels of one row of the 1x picture.
    static int rowWidth(const QImage& image, int y)
    {
        int width = 0;
        for (int x = 0; x < image.width(); ++x)
            width += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        return width;
    }

    static inline std::unique_ptr<QGuiApplication> s_app;
};

TEST_F(LampImagesTest, FivePicturesAtThreeScales)
{
    const std::vector<QIcon> images = MakeLampImages();
    ASSERT_EQ(images.size(), 5u);
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE(i);
        for (const int ratio : {1, 2, 3}) {
            const QImage image = imageAt(images[i], ratio);
            EXPECT_EQ(image.size(), QSize(16 * ratio, 16 * ratio));
            // Corners stay transparent so the lamps sit on any background.
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, 0)), 0);
        }
    }
}

TEST_F(LampImagesTest, LampsHaveTheirColoursAndSoftEdges)
{
    const std::vector<QIcon> images = MakeLampImages();
    struct Expect {
        const char* name;
        std::size_t index;
        bool (*matches)(QRgb);
    };
    const Expect expects[] = {
        {"white", 0, [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200; }},
        {"green", 1, [](QRgb c) { return qGreen(c) > 120 && qRed(c) < 100 && qBlue(c) < 100; }},
        {"red", 2, [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; }},
    };
    for (const Expect& expect : expects) {
        SCOPED_TRACE(expect.name);
        const QImage image = imageAt(images[expect.index], 2);
        const QRgb centre = image.pixel(18, 18); // below right of the highlight
        EXPECT_EQ(qAlpha(centre), 255);
        EXPECT_TRUE(expect.matches(centre)) << std::hex << centre;
        int partial = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = qAlpha(image.pixel(x, y));
                partial += (alpha > 0 && alpha < 255) ? 1 : 0;
            }
        }
        EXPECT_GT(partial, 8) << "edge is not antialiased";
    }
}

TEST_F(LampImagesTest, ArrowsPointTheirWayInTheirColours)
{
    const std::vector<QIcon> images = MakeLampImages();
    const QImage down = imageAt(images[3], 1);
    const QImage up = imageAt(images[4], 1);
    // The head is wider than the shaft.
    EXPECT_GT(rowWidth(up, 5), rowWidth(up, 13));
    EXPECT_GT(rowWidth(down, 10), rowWidth(down, 2));
    const QRgb violet = down.pixel(8, 4);
    EXPECT_GT(qRed(violet), qGreen(violet));
    EXPECT_GT(qBlue(violet), qGreen(violet));
    const QRgb green = up.pixel(8, 11);
    EXPECT_GT(qGreen(green), qRed(green));
    EXPECT_GT(qGreen(green), qBlue(green));
}

} // namespace
} // namespace quorvane
