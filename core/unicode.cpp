// SPDX-License-Identifier: MIT
#include "core/unicode.h"

namespace quorvane {

std::optional<std::u32string> decodeUtf8(std::string_view s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0)
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (cont & 0x3F);
        }
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::u32string decodeUtf8OrLatin1(std::string_view s)
{
    if (std::optional<std::u32string> utf8 = decodeUtf8(s))
        return *utf8;
    // The terminal's 8-bit code page; Latin-1 is its nearest fixed reading.
    std::u32string out;
    for (const char c : s)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

std::u32string decodeUtf16(std::string_view s, bool littleEndian)
{
    std::u32string out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(s[littleEndian ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(s[littleEndian ? i + 1 : i]);
        const char32_t unit = static_cast<char32_t>(hi << 8 | lo);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < s.size()) {
            const auto lo2 = static_cast<unsigned char>(s[littleEndian ? i + 2 : i + 3]);
            const auto hi2 = static_cast<unsigned char>(s[littleEndian ? i + 3 : i + 2]);
            const char32_t next = static_cast<char32_t>(hi2 << 8 | lo2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                out.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        out.push_back(unit >= 0xD800 && unit <= 0xDFFF ? kReplacementCharacter : unit);
    }
    return out;
}

std::string encodeUtf8(const std::u32string& text)
{
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// Windows compares paths without letter case; this covers the scripts that
// folder names of a terminal installation are realistically written in.
char32_t foldCase(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c == 0x178) // Y with diaeresis pairs with U+00FF
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case; the parity of the pair
        // flips after U+0138 and again after U+0149.
        const bool upperIsEven = c < 0x139 || (c > 0x149 && c < 0x179);
        if ((c % 2 == 0) == upperIsEven)
            return c + 1;
    }
    return c;
}

} // namespace quorvane
