// SPDX-License-Identifier: MIT
#pragma once
// The decimal separator of the user's regional settings.

namespace quorvane {

/// QLocale::system().decimalPoint(), read on every call so that a change of the
/// regional settings while the program runs is followed. Falls back to '.' when
/// the separator is not a single 8-bit character.
char regionalDecimalSeparator();

} // namespace quorvane
