// SPDX-License-Identifier: MIT
#pragma once
// Error kinds of the program. Every failure carries the exact message that the
// poll cycle writes to "error_log.txt" or that the application-wide report shows;
// the kinds exist so that callers and tests can tell causes apart.

#include <stdexcept>
#include <string>
#include <utility>

namespace quorvane {

/// Base of every error the program reports; what() is the message as shown.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

/// A silent abort: "Operation aborted".
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(const std::string& message) : Exception(message) {}
};

/// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    explicit EListError(long long index)
        : Exception("List index out of bounds (" + std::to_string(index) + ")") {}
};

/// A text that is not a number: "'%s' is not a valid floating point value".
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// A file that could not be created: "Cannot create file %s".
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const std::string& path) : Exception("Cannot create file " + path) {}
};

/// A file that could not be opened: "Cannot open file %s".
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& path) : Exception("Cannot open file " + path) {}
};

/// A response body that is not well-formed XML: reason, CR LF, "Line: n",
/// CR LF, the first 40 characters of the offending source line.
class EDOMParseError : public Exception {
public:
    using Exception::Exception;
};

/// A response that is XML but not the SOAP envelope the client expects.
class ESOAPDomConvertError : public Exception {
public:
    using Exception::Exception;
};

/// A SOAP fault sent by the service; what() is its faultstring.
class ERemotableException : public Exception {
public:
    ERemotableException(const std::string& faultString, std::string faultCode,
                        std::string faultActor, std::string faultDetail)
        : Exception(faultString), m_faultCode(std::move(faultCode)),
          m_faultActor(std::move(faultActor)), m_faultDetail(std::move(faultDetail)) {}

    const std::string& FaultCode() const { return m_faultCode; }
    const std::string& FaultActor() const { return m_faultActor; }
    /// The XML text of the fault's detail element (empty when absent).
    const std::string& FaultDetail() const { return m_faultDetail; }

private:
    std::string m_faultCode;
    std::string m_faultActor;
    std::string m_faultDetail;
};

/// An element read as text that holds something other than one text node.
class EXMLDocError : public Exception {
public:
    EXMLDocError() : Exception("Element does not contain a single text node") {}
    explicit EXMLDocError(const std::string& message) : Exception(message) {}
};

} // namespace quorvane
