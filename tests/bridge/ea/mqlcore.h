// SPDX-License-Identifier: MIT
#pragma once
// What MQL4 and MQL5 share and both compatibility headers take from here:
// MQL's string (UTF-16 units, as build 600 and later and every MQL5 build
// hold text) and the built-ins on strings and numbers.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

typedef unsigned short ushort;
typedef unsigned char uchar;
typedef unsigned int uint;
typedef unsigned long ulong;

/// MQL's string: a value of UTF-16 code units; literals in the source are ASCII.
class string {
public:
    string() = default;
    string(const char* text)
    {
        for (; *text; ++text)
            m_units.push_back(static_cast<unsigned char>(*text));
    }
    explicit string(std::u16string units) : m_units(std::move(units)) {}

    const std::u16string& units() const { return m_units; }
    /// The text as UTF-8 (code units below U+0800 are all the tests need to read).
    std::string utf8() const
    {
        std::string out;
        for (const char16_t c : m_units) {
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
            } else if (c < 0x800) {
                out.push_back(static_cast<char>(0xC0 | (c >> 6)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            } else {
                out.push_back(static_cast<char>(0xE0 | (c >> 12)));
                out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
        return out;
    }
    string& operator+=(const string& other)
    {
        m_units += other.m_units;
        return *this;
    }
    friend string operator+(string a, const string& b) { return a += b; }
    friend bool operator==(const string& a, const string& b) { return a.m_units == b.m_units; }
    friend bool operator!=(const string& a, const string& b) { return a.m_units != b.m_units; }

private:
    std::u16string m_units;
};

// ---- strings and numbers ------------------------------------------------------

inline int StringLen(const string& s) { return static_cast<int>(s.units().size()); }

inline int StringFind(const string& s, const string& match, int start = 0)
{
    if (start < 0 || start > StringLen(s))
        return -1;
    const std::size_t at = s.units().find(match.units(), static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

inline string StringSubstr(const string& s, int start, int length = -1)
{
    if (start < 0 || start >= StringLen(s))
        return string();
    const std::size_t count = length < 0 ? std::u16string::npos : static_cast<std::size_t>(length);
    return string(s.units().substr(static_cast<std::size_t>(start), count));
}

inline ushort StringGetCharacter(const string& s, int pos)
{
    return pos < 0 || pos >= StringLen(s) ? 0 : s.units()[static_cast<std::size_t>(pos)];
}

// Reads a leading number like the terminal's: text that is none gives 0.
inline double StringToDouble(const string& s) { return std::atof(s.utf8().c_str()); }

inline string IntegerToString(long value) { return string(std::to_string(value).c_str()); }

inline string DoubleToString(double value, int digits = 8)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
    return string(buffer);
}

inline double MathAbs(double v) { return std::fabs(v); }
inline double MathFloor(double v) { return std::floor(v); }
inline double NormalizeDouble(double v, int digits)
{
    const double scale = std::pow(10.0, digits);
    return std::round(v * scale) / scale;
}
