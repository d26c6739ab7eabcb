// Edge cases of the reply format: cutting, field lookup, selector sync.

#include "records.h"

#include <gtest/gtest.h>

using namespace quorvane;

TEST(SplitReply, CutsAtEveryClosingParenthesis)
{
    struct Row {
        const char* name;
        std::string reply;
        std::vector<std::string> records;
    };
    const Row rows[] = {
        {"empty_reply", "", {}},
        {"no_parenthesis", "(Symbol:EURUSD,Price:1", {}},
        {"trailing_text_dropped", "(a)(b)(c)tail", {"(a)", "(b)", "(c)"}},
        {"line_break_starts_next_record", "(a)\r\n(b)", {"(a)", "\r\n(b)"}},
        {"double_close_gives_bare_record", "(a))", {"(a)", ")"}},
        {"leading_blank_kept", " (a)", {" (a)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SplitReply(row.reply), row.records);
    }
}

TEST(GetField, ReadsOneSeparatorThenUpToCommaOrClose)
{
    struct Row {
        const char* name;
        std::string record;
        std::string key;
        std::string value;
    };
    const std::string record = "(Symbol:EURUSD,Price:1.08423,Time:2026-12-08 10:15:00,Signal:0.4213)";
    const Row rows[] = {
        {"first_field", record, "Symbol", "EURUSD"},
        {"time_keeps_its_colons", record, "Time", "2026-12-08 10:15:00"},
        {"last_field_up_to_close", record, "Signal", "0.4213"},
        {"empty_value", "(Symbol:,Price:1)", "Symbol", ""},
        {"key_followed_by_comma", "(Symbol,Price:1)", "Symbol", ""},
        {"any_separator_character", "(Symbol=GBPUSD,x)", "Symbol", "GBPUSD"},
        {"earlier_occurrence_wins", "(Note:Signal-,Signal:0.5)", "Signal", ""},
        {"case_sensitive", record, "symbol", ""},
        {"missing_key", record, "Volume", ""},
        {"line_break_in_front", "\n(Symbol:USDJPY,Signal:-0.2)", "Signal", "-0.2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GetField(row.record, row.key), row.value);
    }
}

TEST(SyncSymbolItems, TouchesTheSelectorOnlyWhenSomethingChanged)
{
    const std::vector<std::string> records = {"(Symbol:EURUSDm,x)", "(Symbol:GBP,x)"};
    struct Row {
        const char* name;
        std::vector<std::string> items;
        bool changed;
    };
    const Row rows[] = {
        {"layout_placeholders", {"1", "2", "3"}, true},
        {"same_names_same_order", {"EURUSD", "GBP"}, false},
        {"names_moved", {"GBP", "EURUSD"}, true},
        {"one_name_changed", {"EURUSD", "GBPUSD"}, true},
        {"fewer_items", {"EURUSD"}, true},
        {"no_items", {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> items = row.items;
        EXPECT_EQ(SyncSymbolItems(items, records), row.changed);
        EXPECT_EQ(items, (std::vector<std::string>{"EURUSD", "GBP"}));
    }
    std::vector<std::string> items = {"EURUSD"};
    EXPECT_TRUE(SyncSymbolItems(items, {}));
    EXPECT_TRUE(items.empty());
}
