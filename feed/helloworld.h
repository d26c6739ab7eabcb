// SPDX-License-Identifier: MIT
#pragma once
// The signal service interface and the factory that binds a client to an
// endpoint. The poll cycle makes one client per poll and drops it afterwards.

#include <memory>
#include <string>

namespace quorvane {

/// Invokable interface "urn:HelloWorld" of the signal service.
class HelloWorldPortType {
public:
    virtual ~HelloWorldPortType() = default;
    /// One synchronous call; returns the reply text. Throws quorvane::Exception
    /// subclasses carrying the message that the poll cycle logs.
    virtual std::string Signal(int format, const std::string& fuck) = 0;
};

/// Makes a client for `addr`. Empty addr: the default endpoint
/// "http://localhost/webservice/server.php" (with "?wsdl" when useWSDL).
/// Throws quorvane::Exception("Invalid url '%s' - only supports 'http' and
/// 'https' schemes") for any other scheme.
std::shared_ptr<HelloWorldPortType> GetSignalService(bool useWSDL = false,
                                                     const std::string& addr = std::string());

} // namespace quorvane
