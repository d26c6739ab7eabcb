// SPDX-License-Identifier: MIT
#pragma once
// Invariant checks shared by the libFuzzer targets and by the replay test that
// runs the saved corpora and past findings in the normal suite. Each check
// returns the first broken invariant, or an empty text when the input is
// handled soundly.

#include <string>
#include <string_view>

namespace quorvane::fuzz {

/// SplitReply, GetField, shortName and syncSymbolItems on one reply text.
std::string checkRecords(std::string_view input);

/// TIniFile on a settings file holding `input`: reads never throw, a written
/// value reads back and the rest of the file stays byte for byte.
std::string checkIniFile(std::string_view input);

/// The response decoder on one response body: it yields a reply text or a
/// quorvane::Exception whose message has one of the reported forms.
std::string checkDecoder(std::string_view input);

} // namespace quorvane::fuzz
