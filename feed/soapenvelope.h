// SPDX-License-Identifier: MIT
#pragma once
// The SOAP 1.1 envelope of the signal service: the request bytes that go over
// the wire and the decoder that takes the reply text out of a response body.
// Both work on bytes only, so tests, benchmarks and fuzzers can drive them
// without any HTTP.

#include <string>
#include <string_view>

namespace quorvane {

inline constexpr const char* kSoapEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kSoapEncodingNs = "http://schemas.xmlsoap.org/soap/encoding/";
inline constexpr const char* kXmlSchemaNs = "http://www.w3.org/2001/XMLSchema";
inline constexpr const char* kXmlSchemaInstanceNs = "http://www.w3.org/2001/XMLSchema-instance";

/// Return element names that apply when an interface registers none.
inline constexpr const char* kDefaultReturnNames = "Result;Return";

/// The UTF-8 body of an RPC/encoded call of Signal(format, fuck) with the
/// operation element in `nameSpace`. `fuck` is taken as UTF-8; bytes that are
/// not valid UTF-8 or not allowed in XML become U+FFFD instead of producing a
/// body the server cannot parse.
std::string buildSignalRequest(std::string_view nameSpace, int format, std::string_view fuck);

/// Escapes text for element content: &, <, > and CR become references.
std::string escapeXmlText(std::string_view text);

/// Decodes a response body into the reply text (UTF-8). Throws EDOMParseError,
/// ESOAPDomConvertError, EListError, ERemotableException, EXMLDocError or
/// Exception with the messages the poll cycle logs.
std::string decodeSignalResponse(std::string_view body,
                                 std::string_view returnNames = kDefaultReturnNames);

} // namespace quorvane
