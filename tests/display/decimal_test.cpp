#include "decimal.h"

#include "exceptions.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>

namespace quorvane {
namespace {

struct AcceptRow {
    const char* name;
    const char* text;
    char separator;
    double value;
};

// Failures name the row instead of dumping its bytes.
void PrintTo(const AcceptRow& row, std::ostream* out) { *out << row.name; }

class StrToFloatAcceptTest : public ::testing::TestWithParam<AcceptRow> {};

TEST_P(StrToFloatAcceptTest, Converts)
{
    const AcceptRow& row = GetParam();
    EXPECT_EQ(StrToFloat(row.text, row.separator), row.value);
}

const AcceptRow acceptRows[] = {
    {"Half", "0.5", '.', 0.5},
    {"HalfComma", "0,5", ',', 0.5},
    {"Blanks", "  0.25  ", '.', 0.25},
    {"MinusZero", "-0", '.', 0.0},
    {"PlusSign", "+1", '.', 1.0},
    {"Negative", "-0.75", '.', -0.75},
    {"NegativeComma", "-0,75", ',', -0.75},
    {"SmallExponent", "1e-3", '.', 0.001},
    {"UpperExponentWithPlus", "2E+5", '.', 200000.0},
    {"ExponentAfterCommaFraction", "-0,25e1", ',', -2.5},
    {"NoIntegerPart", ".5", '.', 0.5},
    {"NoFractionDigits", "5.", '.', 5.0},
    {"LeadingZeros", "00012", '.', 12.0},
    {"NearestDouble", "0.1", '.', 0.1},
    {"LongMantissa", "0.30000000000000004", '.', 0.30000000000000004},
    {"UnderflowIsZero", "1e-400", '.', 0.0},
    {"Subnormal", "4.9406564584124654e-324", '.', 5e-324},
    {"ManyDigitsNegativeExponent", "123456789012345678901234567890e-20", '.', 1234567890.1234567890123456789},
};

INSTANTIATE_TEST_SUITE_P(Rows, StrToFloatAcceptTest, ::testing::ValuesIn(acceptRows),
                         [](const ::testing::TestParamInfo<AcceptRow>& info) { return std::string(info.param.name); });

struct RefuseRow {
    const char* name;
    const char* text;
    char separator;
};

void PrintTo(const RefuseRow& row, std::ostream* out) { *out << row.name; }

class StrToFloatRefuseTest : public ::testing::TestWithParam<RefuseRow> {};

TEST_P(StrToFloatRefuseTest, RaisesConvertErrorNamingTheText)
{
    const RefuseRow& row = GetParam();
    try {
        const double value = StrToFloat(row.text, row.separator);
        FAIL() << "accepted as " << value;
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + std::string(row.text) + "' is not a valid floating point value");
    }
}

const RefuseRow refuseRows[] = {
    {"Empty", "", '.'},
    {"OnlyBlanks", "   ", '.'},
    {"NotANumber", "nan", '.'},
    {"Infinity", "inf", '.'},
    {"InfinityWord", "-Infinity", '.'},
    {"HexFloat", "0x1p3", '.'},
    {"OtherSeparatorPoint", "1.5", ','},
    {"OtherSeparatorComma", "0,5", '.'},
    {"ThousandsSeparator", "1,000.5", '.'},
    {"ExponentWithoutDigits", "1e", '.'},
    {"ExponentWithoutMantissa", "e5", '.'},
    {"SeparatorAlone", ".", '.'},
    {"SignAlone", "-", '.'},
    {"TwoSeparators", "1.2.3", '.'},
    {"InnerBlank", "1 2", '.'},
    {"Tab", "\t1", '.'},
    {"TwoSigns", "+-1", '.'},
    {"Overflow", "1e400", '.'},
    {"Word", "Signal", '.'},
    {"TrailingLetter", "0.5x", '.'},
};

INSTANTIATE_TEST_SUITE_P(Rows, StrToFloatRefuseTest, ::testing::ValuesIn(refuseRows),
                         [](const ::testing::TestParamInfo<RefuseRow>& info) { return std::string(info.param.name); });

struct TextRow {
    const char* name;
    int position;
    char separator;
    const char* text;
};

void PrintTo(const TextRow& row, std::ostream* out) { *out << row.name; }

class MaxSignalTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(MaxSignalTextTest, Formats)
{
    const TextRow& row = GetParam();
    EXPECT_EQ(MaxSignalText(row.position, row.separator), row.text);
}

const TextRow textRows[] = {
    {"DefaultSetting", 25, '.', "0.25"},
    {"FormPosition", 50, '.', "0.5"},
    {"FormPositionComma", 50, ',', "0,5"},
    {"Largest", 100, '.', "1"},
    {"LargestComma", 100, ',', "1"},
};

INSTANTIATE_TEST_SUITE_P(Rows, MaxSignalTextTest, ::testing::ValuesIn(textRows),
                         [](const ::testing::TestParamInfo<TextRow>& info) { return std::string(info.param.name); });

TEST(MaxSignalTextSweepTest, EveryPositionGivesItsHundredthsAndReadsBack)
{
    for (int position = 1; position <= 99; ++position) {
        std::string expected = "0," + std::string(position < 10 ? "0" : "") + std::to_string(position);
        if (expected.back() == '0')
            expected.pop_back();
        const std::string text = MaxSignalText(position, ',');
        EXPECT_EQ(text, expected);
        EXPECT_EQ(StrToFloat(text, ','), position / 100.0) << text;
    }
}

} // namespace
} // namespace quorvane
