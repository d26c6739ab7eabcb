#pragma once
// Error kinds of the program. Every failure carries the exact message that the
// poll cycle writes to "error_log.txt" or that the application-wide report shows;
// the kinds exist so that callers and tests can tell causes apart.

#include <stdexcept>
#include <string>

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

} // namespace quorvane
