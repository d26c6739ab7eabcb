// SPDX-License-Identifier: MIT
#pragma once
// Small text helpers for names that the platform compares without letter case
// (INI keys, Windows file names): ASCII only, so 8-bit text passes unchanged.

#include <string_view>

namespace quorvane {

/// `c` with A-Z lowered; every other byte as it is.
constexpr char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Whether `a` and `b` are the same text but for the letter case of A-Z.
constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace quorvane
