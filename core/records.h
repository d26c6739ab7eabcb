// SPDX-License-Identifier: MIT
#pragma once
// The reply text of the signal service and its market records.
//
// A reply is a run of records, each closed by ")"; a record holds fields
// written as key, one separator character, value, separated by ",".

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// Cuts a reply into record lines: one per ")", each keeping its ")".
/// Text after the last ")" is dropped. Linear in the reply's length.
std::vector<std::string> SplitReply(std::string_view reply);

/// The value of the first occurrence of `key` in `record` (plain,
/// case-sensitive search): the text after the key and one separator
/// character, up to the next "," (else ")"). Never fails; a key that is
/// absent yields the empty text.
std::string GetField(std::string_view record, std::string_view key);

/// The record's short name: the first six characters of its Symbol value.
std::string shortName(std::string_view record);

/// What the symbol selector must become to be in line with the records.
struct SelectorUpdate {
    bool changed = false;               ///< anything differs: the caller selects item 0
    bool refill = false;                ///< the number of items differs: every item is replaced
    std::vector<std::string> items;     ///< the short names, one per record
    std::vector<std::size_t> rewritten; ///< without refill: the items whose name changes
};

/// Compares the selector's items (their bytes, exactly) with the records' short names.
SelectorUpdate selectorUpdate(const std::vector<std::string>& items, const std::vector<std::string>& records);

/// Brings the items of the symbol selector in line with the records.
/// Returns true when anything changed (the caller then selects item 0).
bool syncSymbolItems(std::vector<std::string>& items, const std::vector<std::string>& records);

} // namespace quorvane
