// SPDX-License-Identifier: MIT
#pragma once
// ComboBox3 as the symbol selector: each item shows a short name and keeps its
// bytes as item data. Its shown text cannot hold bytes that are no UTF-8, and
// comparing that text would see a change on every poll.

#include "core/records.h"

#include <string>
#include <vector>

class QComboBox;

namespace quorvane {

/// The bytes of item i; the layout's placeholders carry no data and give their text.
std::string itemBytes(const QComboBox* box, int i);

/// The bytes of every item, in order.
std::vector<std::string> itemsBytes(const QComboBox* box);

/// Brings the box in line as `update` says and, when anything changed, selects
/// item 0. Neither counts as the user's pick: no activated() is emitted.
void applySelectorUpdate(QComboBox* box, const SelectorUpdate& update);

} // namespace quorvane
