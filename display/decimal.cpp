// SPDX-License-Identifier: MIT
#include "decimal.h"

#include "core/exceptions.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace quorvane {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void refuse(const std::string& text)
{
    throw EConvertError("'" + text + "' is not a valid floating point value");
}

// The number grammar with either of two decimal separators (the same one twice
// for a single separator); at most one separator in a text.
double parseNumber(const std::string& text, char separator, char otherSeparator)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;

    // Check the grammar ourselves and hand from_chars a plain '.' text: the C
    // library's own parsers follow the process locale and accept "nan", "inf"
    // and hexadecimal forms, none of which is a number text here.
    std::string plain;
    plain.reserve(end - begin);
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < end && isDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (i < end && (text[i] == separator || text[i] == otherSeparator)) {
        plain += '.';
        ++i;
        while (i < end && isDigit(text[i])) {
            plain += text[i++];
            ++digits;
        }
    }
    if (digits == 0)
        refuse(text);
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        std::size_t exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            plain += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            refuse(text);
    }
    if (i != end)
        refuse(text);

    double value = 0.0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ptr != plain.data() + plain.size())
        refuse(text);
    // An overflow cannot be shown as a number; an underflow is a tiny number and
    // reads as its nearest double (0 or a subnormal). The wider type tells the two apart.
    if (result.ec == std::errc::result_out_of_range) {
        long double wide = 0.0L;
        const auto wideResult = std::from_chars(plain.data(), plain.data() + plain.size(), wide);
        if (wideResult.ec == std::errc() && std::fabs(wide) < 1.0L) {
            value = static_cast<double>(wide);
        } else {
            const std::size_t e = plain.find('e');
            const bool tiny = wideResult.ec != std::errc() && e != std::string::npos
                && e + 1 < plain.size() && plain[e + 1] == '-';
            if (!tiny)
                refuse(text);
            value = 0.0;
        }
    }
    if (!std::isfinite(value))
        refuse(text);
    return negative ? -value : value;
}

} // namespace

double strToFloat(const std::string& text, char decimalSeparator)
{
    return parseNumber(text, decimalSeparator, decimalSeparator);
}

double signalToFloat(const std::string& text, char regionalSeparator)
{
    return parseNumber(text, '.', regionalSeparator);
}

std::string maxSignalText(int position, char decimalSeparator)
{
    const double value = static_cast<double>(static_cast<long double>(position) * 0.01L);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == '.')
            c = decimalSeparator;
    }
    return text;
}

} // namespace quorvane
