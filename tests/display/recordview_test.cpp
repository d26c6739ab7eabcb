// SPDX-License-Identifier: MIT
#include "display/recordview.h"

#include "core/records.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace quorvane {
namespace {

/// Long lamps, short lamps, arrow, tray picture: e.g. "11100000 00000000 4 1".
std::string lampsText(const LampView& view)
{
    std::string s;
    for (std::size_t k = 0; k < view.lamps.size(); ++k)
        s += std::to_string(view.lamps[k]) + (k == 7 ? " " : "");
    return s + " " + std::to_string(view.arrow) + " " + std::to_string(view.trayImage);
}

std::string record(const std::string& symbol, const std::string& signal)
{
    return "(Symbol:" + symbol + ",Price:1.0850,Time:2026.12.08 10:00,Signal:" + signal + ")";
}

struct Row {
    const char* name;
    std::string record, item, maximum;
    char separator;
    SignalColour colour;
    std::string lamps, shortName;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

class RecordViewTest : public ::testing::TestWithParam<Row> {};

TEST_P(RecordViewTest, ShowsLabelsColourLampsArrowTrayAndHint)
{
    const Row& row = GetParam();
    const RecordView view = recordView(row.record, row.item, row.maximum, row.separator);
    ASSERT_EQ(view.reach, ViewReach::All) << (view.failure ? view.failure->what() : "");
    EXPECT_FALSE(view.failure);
    EXPECT_EQ(view.signalText, GetField(row.record, "Signal")) << "shown as received";
    EXPECT_EQ(view.colour, row.colour);
    EXPECT_EQ(lampsText(view.lamps), row.lamps);
    EXPECT_EQ(view.shortName, row.shortName);
    EXPECT_EQ(view.price, GetField(row.record, "Price"));
    EXPECT_EQ(view.time, GetField(row.record, "Time"));
    EXPECT_EQ(view.hint, "Quorvane--" + row.item);
}

constexpr SignalColour kGreen = SignalColour::Green, kRed = SignalColour::Red, kPlain = SignalColour::Default;

INSTANTIATE_TEST_SUITE_P(
    Rows, RecordViewTest,
    ::testing::Values(
        Row{"HalfMaxThreeSixteenths", record("EURUSDm", "0.1875"), "EURUSD", "0.5", '.', kGreen,
            "11100000 00000000 4 1", "EURUSD"},
        Row{"FirstLampAtItsBoundary", record("EURUSD", "0.0625"), "EURUSD", "0.5", '.', kGreen,
            "10000000 00000000 4 1", "EURUSD"},
        Row{"BelowTheFirstLampStillArrowAndTray", record("EURUSD", "0.06"), "EURUSD", "0.5", '.', kGreen,
            "00000000 00000000 4 1", "EURUSD"},
        Row{"SignalEqualToMaximum", record("EURUSD", "0.5"), "EURUSD", "0.5", '.', kGreen, "11111111 00000000 4 1",
            "EURUSD"},
        Row{"FarBeyondASmallMaximum", record("EURUSD", "1"), "EURUSD", "0.01", '.', kGreen, "11111111 00000000 4 1",
            "EURUSD"},
        Row{"NegativeQuarter", record("GBPUSD", "-0.25"), "GBPUSD", "0.5", '.', kRed, "00000000 22220000 3 2",
            "GBPUSD"},
        Row{"OddMaximumShortThreeEighthsExact", record("GBPUSD", "-0.026250000000000002"), "GBPUSD", "0.07", '.',
            kRed, "00000000 22200000 3 2", "GBPUSD"},
        Row{"OddMaximumJustInsideThreeEighths", record("GBPUSD", "-0.02625"), "GBPUSD", "0.07", '.', kRed,
            "00000000 22000000 3 2", "GBPUSD"},
        Row{"ZeroKeepsTheArrow", record("USDJPY", "0"), "USDJPY", "0.5", '.', kPlain, "00000000 00000000 -1 0",
            "USDJPY"},
        Row{"MinusZeroIsZero", record("USDJPY", "-0"), "USDJPY", "0.5", '.', kPlain, "00000000 00000000 -1 0",
            "USDJPY"},
        Row{"ZeroMaximumLightsTheWholeRow", record("USDJPY", "-0.001"), "USDJPY", "0", '.', kRed,
            "00000000 22222222 3 2", "USDJPY"},
        Row{"PointSignalWithCommaMaximum", record("EURUSD", "0.1875"), "EURUSD", "0,5", ',', kGreen,
            "11100000 00000000 4 1", "EURUSD"},
        Row{"ThreeCharacterSymbolWhole", record("GBP", "-0.25"), "GBP", "0.5", '.', kRed, "00000000 22220000 3 2",
            "GBP"},
        Row{"Latin1SymbolCutToSix", record("\xc4UR\xdcSDm", "0.1"), "\xc4UR\xdcSD", "0.5", '.', kGreen,
            "10000000 00000000 4 1", "\xc4UR\xdcSD"},
        Row{"Utf8CharacterCutAtSix", record("EURUS\xc3\xa9", "0.1"), "EURUS\xc3", "0.5", '.', kGreen,
            "10000000 00000000 4 1", "EURUS\xc3"},
        Row{"LoneContinuationBytes", record("\x80\x81\x82\x83", "0.1"), "\x80\x81\x82\x83", "0.5", '.', kGreen,
            "10000000 00000000 4 1", "\x80\x81\x82\x83"},
        // A poll that failed before the selector sync leaves the old items: the
        // hint names the item, the labels the record.
        Row{"HintFollowsTheSelectorsItem", record("GBPUSD", "0.1"), "2", "0.5", '.', kGreen,
            "10000000 00000000 4 1", "GBPUSD"},
        Row{"MissingFieldsShowEmpty", "(Signal:0.1)", "", "0.5", '.', kGreen, "10000000 00000000 4 1", ""}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(RecordView, NumberThatDoesNotConvertStopsWhereTheWindowStops)
{
    const struct {
        const char* name;
        std::string signal, maximum;
        char separator;
        ViewReach reach;
        std::string message;
        SignalColour colour;
    } rows[] = {
        {"SignalNoNumber", "abc", "0.5", '.', ViewReach::SignalText, "'abc' is not a valid floating point value",
         SignalColour::Default},
        {"SignalWithBlanksInside", "0. 25", "0.5", '.', ViewReach::SignalText,
         "'0. 25' is not a valid floating point value", SignalColour::Default},
        {"SignalBytesQuotedAsReceived", "\xff", "0.5", '.', ViewReach::SignalText,
         "'\xff' is not a valid floating point value", SignalColour::Default},
        {"EmptySignal", "", "0.5", '.', ViewReach::SignalText, "'' is not a valid floating point value",
         SignalColour::Default},
        {"MaximumWithThePointUnderACommaLocale", "-0.1", "0.5", ',', ViewReach::Colour,
         "'0.5' is not a valid floating point value", SignalColour::Red},
        {"MaximumEmpty", "0.1", "", '.', ViewReach::Colour, "'' is not a valid floating point value",
         SignalColour::Green},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordView view = recordView(record("EURUSD", row.signal), "EURUSD", row.maximum, row.separator);
        EXPECT_EQ(view.reach, row.reach);
        ASSERT_TRUE(view.failure);
        EXPECT_EQ(view.failure->what(), row.message);
        EXPECT_EQ(view.signalText, row.signal);
        EXPECT_EQ(view.colour, row.colour);
        EXPECT_EQ(view.hint, "") << "nothing after the failure is filled in";
        EXPECT_EQ(view.shortName, "");
    }
}

TEST(RecordView, SelectedRecordOutsideTheListIsAListError)
{
    const std::vector<std::string> records = {record("EURUSD", "0"), record("GBPUSD", "0")};
    EXPECT_EQ(&selectedRecord(records, 1), &records[1]);
    for (const int index : {-1, 2, 7}) {
        try {
            selectedRecord(records, index);
            ADD_FAILURE() << index;
        } catch (const EListError& e) {
            EXPECT_EQ(e.what(), "List index out of bounds (" + std::to_string(index) + ")");
        }
    }
    EXPECT_THROW(selectedRecord({}, 0), EListError);
}

} // namespace
} // namespace quorvane
