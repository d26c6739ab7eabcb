#pragma once
// THTTPRIO: the SOAP client object. It owns its envelope converter and its
// HTTP transport, and implements HelloWorldPortType by putting each call on
// the wire as an RPC/encoded request.

#include "helloworld.h"
#include "invokeregistry.h"
#include "webnode.h"

#include <chrono>
#include <memory>
#include <string>

namespace quorvane {

class THTTPRIO : public HelloWorldPortType {
public:
    /// `node` stands in for the network in tests; null: a CurlWebNode.
    explicit THTTPRIO(const InvokableRegistry& registry = InvRegistry(),
                      std::unique_ptr<WebNode> node = nullptr);

    /// Validates and splits `url` (throws the invalid-url Exception) and
    /// closes the transport's session and connection.
    void SetURL(const std::string& url);
    const std::string& URL() const { return m_endpoint.url; }
    const EndpointUrl& Endpoint() const { return m_endpoint; }

    /// Bounds a call on a slow or silent server; defaults 5 s and 10 s.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

    /// The SOAPAction that the next call sends.
    std::string SOAPAction() const;

    std::string Signal(int format, const std::string& fuck) override;

    WebNode& HTTPWebNode1() { return *m_node; }

private:
    InvokableInterface registration() const;

    const InvokableRegistry& m_registry;
    std::unique_ptr<WebNode> m_node;
    EndpointUrl m_endpoint;
};

/// Registers HelloWorldPortType in `registry`; done for InvRegistry() at
/// program start.
void RegisterHelloWorld(InvokableRegistry& registry);

} // namespace quorvane
