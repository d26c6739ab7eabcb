// SPDX-License-Identifier: MIT
#include "checks.h"

#include "core/records.h"

#include <algorithm>
#include <vector>

namespace quorvane::fuzz {

namespace {

// A straight transcription of the field lookup with 1-based positions, so
// that the fast lookup is compared with an independent reading of the rule.
std::string referenceField(std::string_view record, std::string_view key)
{
    const std::size_t at = record.find(key);
    if (key.empty() || at == std::string_view::npos)
        return {};
    const std::string_view tail = record.substr(at + key.size());
    std::size_t e = 0;
    if (const std::size_t comma = tail.find(','); comma != std::string_view::npos)
        e = comma + 1;
    else if (const std::size_t close = tail.find(')'); close != std::string_view::npos)
        e = close + 1;
    if (e < 3)
        return {};
    return std::string(tail.substr(1, e - 2));
}

std::string checkField(std::string_view text, std::string_view key)
{
    const std::string value = GetField(text, key);
    if (value.find(',') != std::string::npos)
        return "GetField value holds ','";
    if (value.size() > text.size() || text.find(value) == std::string_view::npos)
        return "GetField value is not a part of its record";
    if (value != referenceField(text, key))
        return "GetField differs from the field rule for key '" + std::string(key) + "'";
    return {};
}

std::vector<std::string> keysFor(std::string_view input)
{
    std::vector<std::string> keys{"Symbol", "Price", "Time", "Signal", "S", ",", ")", ""};
    // A key taken from the input itself reaches occurrences that the fixed
    // keys never meet (keys inside values, keys at the very end).
    if (!input.empty()) {
        const std::size_t len = 1 + static_cast<unsigned char>(input[0]) % 8;
        keys.emplace_back(input.substr(input.size() > len ? input.size() - len : 0));
    }
    return keys;
}

} // namespace

std::string checkRecords(std::string_view input)
{
    const std::vector<std::string> records = SplitReply(input);

    std::size_t consumed = 0;
    for (const std::string& record : records) {
        if (record.empty() || record.back() != ')')
            return "a record does not end with ')'";
        if (std::count(record.begin(), record.end(), ')') != 1)
            return "a record holds more than one ')'";
        if (input.substr(consumed, record.size()) != record)
            return "the records are not the input cut in order";
        consumed += record.size();
    }
    if (input.substr(consumed).find(')') != std::string_view::npos)
        return "text after the last record still holds ')'";
    if (records.size() != static_cast<std::size_t>(std::count(input.begin(), input.end(), ')')))
        return "record count differs from the number of ')'";

    const std::vector<std::string> keys = keysFor(input);
    for (const std::string& key : keys) {
        if (std::string broken = checkField(input, key); !broken.empty())
            return broken;
    }
    for (const std::string& record : records) {
        for (const std::string& key : keys) {
            if (std::string broken = checkField(record, key); !broken.empty())
                return broken;
            if (GetField(record, key).find(')') != std::string::npos)
                return "a field value of a record holds ')'";
        }
        const std::string symbol = GetField(record, "Symbol");
        if (shortName(record) != symbol.substr(0, std::min<std::size_t>(6, symbol.size())))
            return "shortName is not the first six characters of Symbol";
    }

    // Start the selector from the short names of the input's second half, which
    // often matches in part and so reaches the item-by-item comparison.
    std::vector<std::string> items;
    for (const std::string& record : SplitReply(input.substr(input.size() / 2)))
        items.push_back(shortName(record));
    const std::vector<std::string> before = items;
    const bool changed = syncSymbolItems(items, records);
    if (items.size() != records.size())
        return "selector item count differs from the record count";
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (items[i] != shortName(records[i]))
            return "selector item is not its record's short name";
    }
    if (changed != (before != items))
        return "syncSymbolItems reports a change wrongly";
    if (syncSymbolItems(items, records))
        return "a second syncSymbolItems still reports a change";
    return {};
}

} // namespace quorvane::fuzz
