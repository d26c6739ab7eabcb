// Plain rules of the spin edit: range check, text to value, typing filter,
// size rules and glyphs.
#include "spinrules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace quorvane::spin;

namespace {

struct RangeCase {
    const char* name;
    std::int32_t value, minValue, maxValue, expected;
};

const RangeCase kRangeCases[] = {
    {"EqualBoundsMeanNoRange", 1000, 0, 0, 1000},
    {"EqualNonZeroBoundsMeanNoRange", -7, 5, 5, -7},
    {"InsideRange", 7, 0, 10, 7},
    {"BelowRange", -1, 0, 10, 0},
    {"AboveRange", 11, 0, 10, 10},
    {"OnUpperBound", 10, 0, 10, 10},
    {"InvertedBelowMin", 2, 5, 3, 5},
    {"InvertedBetweenIsBelowMin", 4, 5, 3, 5},
    {"InvertedAboveMin", 9, 5, 3, 3},
};

class CheckValueTest : public testing::TestWithParam<RangeCase> {};

TEST_P(CheckValueTest, ClampsLowerBoundFirst)
{
    const RangeCase& c = GetParam();
    EXPECT_EQ(CheckValue(c.value, c.minValue, c.maxValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckValueTest, testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name;
    const char* text;
    bool valid;
    std::int32_t value;
};

const ParseCase kParseCases[] = {
    {"Plain", "7", true, 7},
    {"Negative", "-15", true, -15},
    {"PlusSign", "+4", true, 4},
    {"SurroundingBlanks", " 12 ", true, 12},
    {"Letters", "abc", false, 0},
    {"Empty", "", false, 0},
    {"SignOnly", "-", false, 0},
    {"Decimal", "1.5", false, 0},
    {"TrailingLetter", "12a", false, 0},
    {"Largest", "2147483647", true, std::numeric_limits<std::int32_t>::max()},
    {"Smallest", "-2147483648", true, std::numeric_limits<std::int32_t>::min()},
    {"JustTooLarge", "2147483648", false, 0},
    {"FarTooLarge", "99999999999999999999", false, 0},
};

class ParseValueTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseValueTest, ReadsDecimalIntegersOnly)
{
    const ParseCase& c = GetParam();
    const auto value = parseValue(QString::fromLatin1(c.text));
    ASSERT_EQ(value.has_value(), c.valid);
    if (c.valid) {
        EXPECT_EQ(*value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseValueTest, testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatValue, WritesMinusNoPlusNoGrouping)
{
    EXPECT_EQ(formatValue(-1234567), QStringLiteral("-1234567"));
    EXPECT_EQ(formatValue(1234567), QStringLiteral("1234567"));
}

TEST(AddSaturated, HoldsAtThe32BitLimits)
{
    EXPECT_EQ(addSaturated(std::numeric_limits<std::int32_t>::max(), 1),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(addSaturated(std::numeric_limits<std::int32_t>::min(), -5),
              std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(addSaturated(3, -5), -2);
}

struct CharCase {
    const char* name;
    char16_t c;
    bool enabledPasses;
    bool disabledPasses;
};

const CharCase kCharCases[] = {
    {"Digit0", u'0', true, false},
    {"Digit1", u'1', true, false},
    {"Digit9", u'9', true, false},
    {"Plus", u'+', true, false},
    {"Minus", u'-', true, false},
    {"Period", u'.', true, false},
    {"Backspace", 8, true, false},
    {"CarriageReturn", 13, false, false},
    {"CtrlC", 3, true, true},
    {"Letter", u'a', false, false},
    {"Blank", u' ', false, false},
    {"Slash", u'/', false, false},
    {"Latin1High", 0xE9, false, false},
    {"Cyrillic", 0x0416, false, false},
};

class IsValidCharTest : public testing::TestWithParam<CharCase> {};

TEST_P(IsValidCharTest, FiltersPerEditorState)
{
    const CharCase& c = GetParam();
    EXPECT_EQ(IsValidChar(QChar(c.c), QLatin1Char('.'), true), c.enabledPasses);
    EXPECT_EQ(IsValidChar(QChar(c.c), QLatin1Char('.'), false), c.disabledPasses);
}

INSTANTIATE_TEST_SUITE_P(Cases, IsValidCharTest, testing::ValuesIn(kCharCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IsValidChar, UsesTheGivenDecimalSeparator)
{
    EXPECT_TRUE(IsValidChar(QLatin1Char(','), QLatin1Char(','), true));
    EXPECT_FALSE(IsValidChar(QLatin1Char(','), QLatin1Char('.'), true));
    EXPECT_FALSE(IsValidChar(QLatin1Char('.'), QLatin1Char(','), true));
}

TEST(SpinButtonLayout, NarrowWidthBecomes15AndButtonsOverlapByOneRow)
{
    const SpinButtonLayout layout = spinButtonLayout(QSize(10, 25));
    EXPECT_EQ(layout.size, QSize(15, 25));
    EXPECT_EQ(layout.upRect, QRect(0, 0, 15, 12));
    EXPECT_EQ(layout.downRect, QRect(0, 11, 15, 14));
}

TEST(SpinButtonLayout, OddAndEvenHeightsCoverTheWholeHeight)
{
    for (int height : {4, 17, 25, 26, 100}) {
        SCOPED_TRACE(height);
        const SpinButtonLayout layout = spinButtonLayout(QSize(20, height));
        EXPECT_EQ(layout.downRect.bottom(), height - 1);
        EXPECT_EQ(layout.downRect.top(), layout.upRect.bottom());
    }
}

TEST(MinimumEditHeight, UsesTheSmallerFontForTheQuarter)
{
    EXPECT_EQ(minimumEditHeight(16, 13, 1), 16 + 3 + 4 + 2);
    EXPECT_EQ(minimumEditHeight(12, 20, 1), 12 + 3 + 4 + 2);
    EXPECT_EQ(minimumEditHeight(16, 16, 2), 16 + 4 + 8 + 2);
}

TEST(BuiltInGlyph, UpIsATriangleOfRuns1357OnOlive)
{
    const QImage up = builtInGlyph(true);
    ASSERT_EQ(up.size(), QSize(9, 6));
    const QColor olive(128, 128, 0);
    const int expectedRuns[6] = {0, 1, 3, 5, 7, 0};
    for (int y = 0; y < 6; ++y) {
        SCOPED_TRACE(y);
        int black = 0;
        for (int x = 0; x < 9; ++x) {
            const QColor c = up.pixelColor(x, y);
            if (c == QColor(Qt::black)) {
                ++black;
                EXPECT_GE(x, (9 - expectedRuns[y]) / 2);
                EXPECT_LT(x, (9 + expectedRuns[y]) / 2 + 1);
            } else {
                EXPECT_EQ(c, olive);
            }
        }
        EXPECT_EQ(black, expectedRuns[y]);
    }
}

TEST(BuiltInGlyph, DownIsUpUpsideDown)
{
    EXPECT_EQ(builtInGlyph(false), builtInGlyph(true).mirrored(false, true));
}

TEST(TransparentGlyph, OliveBecomesTransparentBlackStays)
{
    const QImage glyph = transparentGlyph(builtInGlyph(true));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(4, 1)), 255);
    EXPECT_EQ(QColor(glyph.pixel(4, 1)), QColor(Qt::black));
}

} // namespace
