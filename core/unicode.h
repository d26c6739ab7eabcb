// SPDX-License-Identifier: MIT
#pragma once
// Text as the files of other programs hold it: UTF-8, UTF-16 in either byte
// order, or an 8-bit code page; and the letter case that Windows ignores in
// file names. One codec for the whole program.

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// U+FFFD, for a UTF-16 unit that pairs with nothing.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

/// `s` decoded as strict UTF-8 (no overlong two-byte forms, nothing above
/// U+10FFFF's lead byte); nullopt at the first byte that breaks it.
std::optional<std::u32string> decodeUtf8(std::string_view s);

/// `s` as UTF-8 when it is that, otherwise byte by byte as Latin-1 (the
/// nearest fixed reading of an 8-bit code page).
std::u32string decodeUtf8OrLatin1(std::string_view s);

/// `s` as UTF-16 in the given byte order; surrogate pairs joined, a lone
/// surrogate read as U+FFFD, an odd last byte dropped.
std::u32string decodeUtf16(std::string_view s, bool littleEndian);

/// `text` written as UTF-8.
std::string encodeUtf8(const std::u32string& text);

/// `c` in lower case where Windows file names ignore the case: ASCII, Latin-1,
/// Latin Extended-A, Greek and Cyrillic; every other character as it is.
char32_t foldCase(char32_t c);

} // namespace quorvane
