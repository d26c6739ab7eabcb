// SPDX-License-Identifier: MIT
#include "display/decimal.h"

#include "core/exceptions.h"
#include "display/regional.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

namespace quorvane {
namespace {

TEST(StrToFloatTest, ConvertsOrRefusesNamingTheText)
{
    const struct {
        const char* text;
        char separator;
        std::optional<double> value; // none: refused
    } rows[] = {
        {"0.5", '.', 0.5},
        {"0,5", ',', 0.5},
        {"  0.25  ", '.', 0.25},
        {"-0", '.', 0.0},
        {"+1", '.', 1.0},
        {"-0.75", '.', -0.75},
        {"1e-3", '.', 0.001},
        {"2E+5", '.', 200000.0},
        {"-0,25e1", ',', -2.5},
        {".5", '.', 0.5},
        {"5.", '.', 5.0},
        {"0.1", '.', 0.1},
        {"0.30000000000000004", '.', 0.30000000000000004},
        {"1e-400", '.', 0.0},
        {"4.9406564584124654e-324", '.', 5e-324},
        {"123456789012345678901234567890e-20", '.', 1234567890.1234567890123456789},
        {"", '.', {}},
        {"   ", '.', {}},
        {"nan", '.', {}},
        {"inf", '.', {}},
        {"-Infinity", '.', {}},
        {"0x1p3", '.', {}},
        {"1.5", ',', {}},
        {"0,5", '.', {}},
        {"1,000.5", '.', {}},
        {"1e", '.', {}},
        {"e5", '.', {}},
        {".", '.', {}},
        {"-", '.', {}},
        {"1.2.3", '.', {}},
        {"1 2", '.', {}},
        {"\t1", '.', {}},
        {"+-1", '.', {}},
        {"1e400", '.', {}},
        {"0.5x", '.', {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "' with '" + row.separator + "'");
        try {
            const double value = strToFloat(row.text, row.separator);
            EXPECT_EQ(std::optional<double>(value), row.value);
        } catch (const EConvertError& e) {
            EXPECT_FALSE(row.value.has_value());
            EXPECT_EQ(std::string(e.what()), "'" + std::string(row.text) + "' is not a valid floating point value");
        }
    }
}

TEST(SignalToFloatTest, ReadsThePointAlwaysAndTheRegionalSeparatorToo)
{
    const struct {
        const char* text;
        char regional;
        std::optional<double> value; // none: refused
    } rows[] = {
        {"0.2521", ',', 0.2521},  // the wire format in a comma locale
        {"0,2521", ',', 0.2521},
        {"-0.25", ',', -0.25},
        {"-0,25e1", ',', -2.5},
        {"0.2521", '.', 0.2521},
        {"0,2521", '.', {}},      // a comma is no separator where the region has none
        {"1.000,5", ',', {}},     // one separator at most, no digit grouping
        {"1,2.5", ',', {}},
        {"0.5", '\'', 0.5},
        {"0'5", '\'', 0.5},
        {"abc", ',', {}},
        {"", ',', {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "' with '" + row.regional + "'");
        try {
            EXPECT_EQ(std::optional<double>(signalToFloat(row.text, row.regional)), row.value);
        } catch (const EConvertError& e) {
            EXPECT_FALSE(row.value.has_value());
            EXPECT_EQ(std::string(e.what()), "'" + std::string(row.text) + "' is not a valid floating point value");
        }
    }
}

/// A real comma-decimal locale (ctest generates de_DE.UTF-8 and runs these cases
/// under it); anywhere else they skip.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = std::setlocale(LC_ALL, nullptr);
        // As the program's QApplication does: the C library follows the environment.
        if (std::setlocale(LC_ALL, "") == nullptr || std::string(std::localeconv()->decimal_point) != ",")
            GTEST_SKIP() << "needs a comma-decimal locale, such as a generated de_DE.UTF-8";
    }
    void TearDown() override { std::setlocale(LC_ALL, m_saved.c_str()); }

private:
    std::string m_saved;
};

TEST_F(CommaLocale, SignalReadsWithThePointWhileEdit1TextsKeepTheComma)
{
    const char separator = regionalDecimalSeparator();
    ASSERT_EQ(separator, ',');
    EXPECT_EQ(signalToFloat("0.2521", separator), 0.2521);
    EXPECT_EQ(signalToFloat("-0,2521", separator), -0.2521);
    EXPECT_EQ(maxSignalText(25, separator), "0,25");
    EXPECT_EQ(strToFloat(maxSignalText(25, separator), separator), 0.25);
}

TEST(MaxSignalTextTest, EveryPositionGivesItsHundredthsAndReadsBack)
{
    EXPECT_EQ(maxSignalText(50, '.'), "0.5");
    EXPECT_EQ(maxSignalText(100, '.'), "1");
    EXPECT_EQ(maxSignalText(100, ','), "1");
    for (int position = 1; position <= 99; ++position) {
        std::string expected = "0," + std::string(position < 10 ? "0" : "") + std::to_string(position);
        if (expected.back() == '0')
            expected.pop_back();
        const std::string text = maxSignalText(position, ',');
        EXPECT_EQ(text, expected);
        EXPECT_EQ(strToFloat(text, ','), position / 100.0) << text;
    }
}

} // namespace
} // namespace quorvane
