// SPDX-License-Identifier: MIT
#pragma once
// The HTTP transport under the SOAP client. The client talks to this narrow
// interface so that tests can stand in for the network; CurlWebNode is the
// real one.

#include <chrono>
#include <string>

namespace quorvane {

/// An endpoint URL split into its parts. Only "http" and "https" exist here.
struct EndpointUrl {
    std::string url;     ///< as given
    std::string scheme;  ///< lower case
    std::string host;
    int port = 0;        ///< named in the URL, else the scheme's default
    std::string path;    ///< request target, with any query
};

/// Splits `url`; throws Exception("Invalid url '%s' - only supports 'http'
/// and 'https' schemes") for any other scheme or a URL that cannot be split.
EndpointUrl parseEndpointUrl(const std::string& url);

class WebNode {
public:
    virtual ~WebNode() = default;

    /// POSTs `body` with the SOAPAction header and returns the whole response
    /// body (status 2xx or 500). Throws Exception for transport failures
    /// ("%s - URL:%s - SOAPAction:%s") and status errors ("%s (%d) - '%s'"),
    /// closing the session and connection first.
    virtual std::string Execute(const EndpointUrl& endpoint, const std::string& soapAction,
                                const std::string& body) = 0;

    /// GETs a document (the service description) over the same session and
    /// connection; the same failures as Execute, with an empty SOAPAction.
    virtual std::string Get(const EndpointUrl& endpoint) = 0;

    /// Drops the session and connection; the next Execute opens new ones.
    virtual void Close() = 0;

    /// Time allowed to connect, and for the whole exchange.
    virtual void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) = 0;
};

} // namespace quorvane
