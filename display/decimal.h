// SPDX-License-Identifier: MIT
#pragma once
// Number texts with the regional decimal separator.

#include <string>

namespace quorvane {

/// Converts a number text. Accepts surrounding blanks, an optional sign, digits with
/// the given decimal separator and an optional exponent ("1e-3", "2E+5"); refuses
/// everything else ("nan", "inf", hex floats, the other separator, empty) with
/// quorvane::EConvertError("'" + text + "' is not a valid floating point value").
double strToFloat(const std::string& text, char decimalSeparator);

/// Converts the Signal field of a market record. The service writes it with "."
/// whatever the reader's locale, so "." is always read; the regional separator
/// is read as well. Otherwise as strToFloat, with the same refusal.
double signalToFloat(const std::string& text, char regionalSeparator);

/// Track-bar position -> Edit1 text: position*0.01 in extended precision, rounded to
/// double, general format with at most 15 significant digits ("0.5", "0.25", "1",
/// "0.07"), with the given separator.
std::string maxSignalText(int position, char decimalSeparator);

} // namespace quorvane
