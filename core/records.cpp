// SPDX-License-Identifier: MIT
#include "records.h"

#include <utility>

namespace quorvane {

std::vector<std::string> SplitReply(std::string_view reply)
{
    // Walk the reply once; cutting the front off a working copy per record
    // would make a large reply quadratic.
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t close = reply.find(')'); close != std::string_view::npos;
         close = reply.find(')', start)) {
        records.emplace_back(reply.substr(start, close + 1 - start));
        start = close + 1;
    }
    return records;
}

std::string GetField(std::string_view record, std::string_view key)
{
    const std::size_t at = record.find(key);
    if (at == std::string_view::npos || key.empty())
        return {};
    const std::string_view tail = record.substr(at + key.size());
    std::size_t end = tail.find(',');
    if (end == std::string_view::npos)
        end = tail.find(')');
    // The first character of the tail is the separator; a terminator at
    // position 0 or 1 leaves no value.
    if (end == std::string_view::npos || end < 2)
        return {};
    return std::string(tail.substr(1, end - 1));
}

std::string shortName(std::string_view record)
{
    std::string symbol = GetField(record, "Symbol");
    if (symbol.size() > 6)
        symbol.resize(6);
    return symbol;
}

SelectorUpdate selectorUpdate(const std::vector<std::string>& items, const std::vector<std::string>& records)
{
    SelectorUpdate update;
    update.refill = items.size() != records.size();
    update.changed = update.refill;
    update.items.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        update.items.push_back(shortName(records[i]));
        if (!update.refill && items[i] != update.items.back()) {
            update.changed = true;
            update.rewritten.push_back(i);
        }
    }
    return update;
}

bool syncSymbolItems(std::vector<std::string>& items, const std::vector<std::string>& records)
{
    SelectorUpdate update = selectorUpdate(items, records);
    items = std::move(update.items);
    return update.changed;
}

} // namespace quorvane
