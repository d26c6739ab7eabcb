// SPDX-License-Identifier: MIT
#include "checks.h"

#include "core/exceptions.h"
#include "feed/soapenvelope.h"

#include <cctype>
#include <typeinfo>

namespace quorvane::fuzz {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool endsWith(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool allDigits(std::string_view s, bool allowMinus)
{
    if (allowMinus && !s.empty() && s.front() == '-')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

// Reason, CR LF, "Line: n", CR LF, at most 40 characters of the source line.
bool isParseMessage(std::string_view m)
{
    const std::size_t at = m.find("\r\nLine: ");
    if (at == std::string_view::npos)
        return false;
    const std::string_view rest = m.substr(at + 8);
    const std::size_t eol = rest.find("\r\n");
    if (eol == std::string_view::npos || !allDigits(rest.substr(0, eol), false))
        return false;
    const std::string_view source = rest.substr(eol + 2);
    std::size_t characters = 0;
    for (char c : source) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    }
    return characters <= 40 && source.find('\n') == std::string_view::npos;
}

bool isConvertMessage(std::string_view m)
{
    if (m == "Invalid SOAP Response" || m == "Invalid SOAP request")
        return true;
    if (startsWith(m, std::string("DocumentElement ") + kSoapEnvelopeNs + ":Envelope expected, ")
        && endsWith(m, " found"))
        return true;
    return startsWith(m, "SOAP Response Packet: result element expected, received \"") && endsWith(m, "\"");
}

std::string checkMessage(const Exception& e)
{
    const std::string_view m = e.what();
    const auto& type = typeid(e);
    if (type == typeid(EDOMParseError))
        return isParseMessage(m) ? std::string() : "parse error message of the wrong form: " + std::string(m);
    if (type == typeid(ESOAPDomConvertError))
        return isConvertMessage(m) ? std::string() : "envelope error message of the wrong form: " + std::string(m);
    if (type == typeid(EListError)) {
        const bool ok = startsWith(m, "List index out of bounds (") && endsWith(m, ")")
            && allDigits(m.substr(26, m.size() - 27), true);
        return ok ? std::string() : "list error message of the wrong form: " + std::string(m);
    }
    if (type == typeid(EXMLDocError))
        return m == "Element does not contain a single text node" ? std::string()
                                                                  : "text node error of the wrong form: " + std::string(m);
    if (type == typeid(ERemotableException))
        return {}; // the service's own faultstring
    if (type == typeid(Exception)) {
        const bool ok = startsWith(m, "Soap header ")
            && endsWith(m, " with attribute 'mustUnderstand' set to true was not handled");
        return ok ? std::string() : "unexpected plain error: " + std::string(m);
    }
    return std::string("unexpected error kind ") + type.name() + ": " + std::string(m);
}

struct Outcome {
    bool failed = false;
    std::string text;   // reply text or message
    std::string broken; // invariant violation
};

Outcome decode(std::string_view body)
{
    Outcome outcome;
    try {
        outcome.text = decodeSignalResponse(body);
        if (!validUtf8(outcome.text))
            outcome.broken = "the reply text is not UTF-8";
    } catch (const Exception& e) {
        outcome.failed = true;
        outcome.text = e.what();
        outcome.broken = checkMessage(e);
    } catch (const std::exception& e) {
        outcome.broken = std::string("a foreign exception escaped the decoder: ") + e.what();
    } catch (...) {
        outcome.broken = "a non-standard exception escaped the decoder";
    }
    return outcome;
}

} // namespace

std::string checkDecoder(std::string_view input)
{
    const Outcome first = decode(input);
    if (!first.broken.empty())
        return first.broken;
    // No state may carry over from one response to the next.
    const Outcome second = decode(input);
    if (second.failed != first.failed || second.text != first.text)
        return "decoding the same body twice gives different outcomes";
    return {};
}

} // namespace quorvane::fuzz
