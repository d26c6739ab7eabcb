// SPDX-License-Identifier: MIT
#pragma once
// Reading the service description (WSDL 1.1) for the description form of
// GetSignalService: where to send a call and which SOAPAction it carries.

#include <string>
#include <string_view>

namespace quorvane {

struct ServicePort {
    std::string location;   ///< soap:address of the port
    std::string soapAction; ///< soap:operation soapAction of the operation; may be empty
    std::string nameSpace;  ///< namespace of the operation's soap:body; empty when not given
};

/// Finds `port` of `service` and `operation` in that port's binding. Throws
/// EDOMParseError for bytes that are not XML and Exception when the service,
/// the port or its SOAP address is missing.
ServicePort readServicePort(std::string_view wsdl, const std::string& service, const std::string& port,
                            const std::string& operation);

} // namespace quorvane
