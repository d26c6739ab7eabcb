// SPDX-License-Identifier: MIT
#pragma once
// Small helpers shared by the feed tests.

#include "core/exceptions.h"
#include "scratchfolder.h"

#include <functional>
#include <string>

namespace quorvane::test {

/// A canned body from tests/data/soap/.
inline std::string fixture(const std::string& name)
{
    return readFile(std::string(QUORVANE_TEST_DATA) + "/soap/" + name);
}

/// A minimal response whose return element holds `value`.
inline std::string envelope(const std::string& value)
{
    return "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body>"
           "<ns1:SignalResponse xmlns:ns1=\"urn:HelloWorld\"><return>"
        + value + "</return></ns1:SignalResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

/// What a call gave, as one comparable string: "= <reply>" or "<kind>: <message>".
inline std::string outcome(const std::function<std::string()>& call)
{
    try {
        return "= " + call();
    } catch (const Exception& e) {
        const char* kind = dynamic_cast<const EDOMParseError*>(&e)   ? "EDOMParseError"
            : dynamic_cast<const ESOAPDomConvertError*>(&e)          ? "ESOAPDomConvertError"
            : dynamic_cast<const EListError*>(&e)                    ? "EListError"
            : dynamic_cast<const ERemotableException*>(&e)           ? "ERemotableException"
            : dynamic_cast<const EXMLDocError*>(&e)                  ? "EXMLDocError"
                                                                     : "Exception";
        return std::string(kind) + ": " + e.what();
    }
}

} // namespace quorvane::test
