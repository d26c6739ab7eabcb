// SPDX-License-Identifier: MIT
// Edge cases of the reply format: cutting, field lookup, selector sync.

#include "core/records.h"

#include <gtest/gtest.h>

using namespace quorvane;
using Strings = std::vector<std::string>;

TEST(SplitReply, CutsAtEveryClosingParenthesis)
{
    const std::pair<std::string, Strings> rows[] = {
        {"", {}},
        {"(Symbol:EURUSD,Price:1", {}},                 // no ")" at all
        {"(a)(b)(c)tail", {"(a)", "(b)", "(c)"}},      // trailing text dropped
        {"(a)\r\n(b)", {"(a)", "\r\n(b)"}},            // a line break starts the next record
        {"(a))", {"(a)", ")"}},                        // a double close gives a bare record
        {" (a)", {" (a)"}},
    };
    for (const auto& [reply, records] : rows)
        EXPECT_EQ(SplitReply(reply), records) << reply;
}

TEST(GetField, ReadsOneSeparatorThenUpToCommaOrClose)
{
    const std::string record = "(Symbol:EURUSD,Price:1.08423,Time:2026-12-08 10:15:00,Signal:0.4213)";
    const struct {
        std::string record, key, value;
    } rows[] = {
        {record, "Symbol", "EURUSD"},
        {record, "Time", "2026-12-08 10:15:00"},       // keeps its colons
        {record, "Signal", "0.4213"},                  // last field: up to ")"
        {record, "symbol", ""},                        // case-sensitive
        {record, "Volume", ""},
        {"(Symbol:,Price:1)", "Symbol", ""},
        {"(Symbol,Price:1)", "Symbol", ""},            // the separator is the comma itself
        {"(Symbol=GBPUSD,x)", "Symbol", "GBPUSD"},     // any separator character
        {"(Note:Signal-,Signal:0.5)", "Signal", ""},   // the earlier occurrence wins
        {"\n(Symbol:USDJPY,Signal:-0.2)", "Signal", "-0.2"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(GetField(row.record, row.key), row.value) << row.record << " / " << row.key;
}

TEST(SelectorUpdate, RefillsOnAnotherCountAndOtherwiseRewritesOnlyTheChangedItems)
{
    const Strings records = {"(Symbol:EURUSDm,x)", "(Symbol:GBP,x)", "(Symbol:\xc4UR\xdcSDx,x)"};
    const struct {
        const char* name;
        Strings before;
        bool changed, refill;
        std::vector<std::size_t> rewritten;
    } rows[] = {
        {"InLine", {"EURUSD", "GBP", "\xc4UR\xdcSD"}, false, false, {}},
        {"LayoutPlaceholders", {"1", "2", "3"}, true, false, {0, 1, 2}},
        {"OneNameChanged", {"EURUSD", "GBPUSD", "\xc4UR\xdcSD"}, true, false, {1}},
        {"BytesDifferOnlyInTheHighBit", {"EURUSD", "GBP", "\xc4UR\x5cSD"}, true, false, {2}},
        {"FewerItems", {"EURUSD"}, true, true, {}},
        {"MoreItems", {"EURUSD", "GBP", "\xc4UR\xdcSD", "USDJPY"}, true, true, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const SelectorUpdate update = selectorUpdate(row.before, records);
        EXPECT_EQ(update.changed, row.changed);
        EXPECT_EQ(update.refill, row.refill);
        EXPECT_EQ(update.rewritten, row.rewritten);
        EXPECT_EQ(update.items, (Strings{"EURUSD", "GBP", "\xc4UR\xdcSD"}));
    }
}

TEST(SyncSymbolItems, TouchesTheSelectorOnlyWhenSomethingChanged)
{
    const Strings records = {"(Symbol:EURUSDm,x)", "(Symbol:GBP,x)"};
    const std::pair<Strings, bool> rows[] = {
        {{"1", "2", "3"}, true}, // the layout's placeholders
        {{"EURUSD", "GBP"}, false},
        {{"GBP", "EURUSD"}, true},
        {{"EURUSD", "GBPUSD"}, true},
        {{"EURUSD"}, true},
        {{}, true},
    };
    for (const auto& [before, changed] : rows) {
        Strings items = before;
        EXPECT_EQ(syncSymbolItems(items, records), changed) << ::testing::PrintToString(before);
        EXPECT_EQ(items, (Strings{"EURUSD", "GBP"}));
    }
    Strings items = {"EURUSD"};
    EXPECT_TRUE(syncSymbolItems(items, {}));
    EXPECT_TRUE(items.empty());
}
