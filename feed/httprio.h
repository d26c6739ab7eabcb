// SPDX-License-Identifier: MIT
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
    explicit THTTPRIO(const InvokableRegistry& registry = invRegistry(),
                      std::unique_ptr<WebNode> node = nullptr);

    /// Validates and splits `url` (throws the invalid-url Exception) and
    /// closes the transport's session and connection.
    void SetURL(const std::string& url);
    const std::string& URL() const { return m_endpoint.url; }
    const EndpointUrl& Endpoint() const { return m_endpoint; }

    /// Binds the client to the service description at `url` (validated like
    /// an endpoint URL): the first call fetches it and takes the endpoint,
    /// the SOAPAction and the operation namespace of `port` of `service`
    /// from it. SetURL afterwards goes back to the registered values.
    void SetWSDLLocation(const std::string& url, const std::string& service, const std::string& port);

    /// Bounds a call on a slow or silent server; defaults 5 s and 10 s.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

    std::string Signal(int format, const std::string& fuck) override;

    WebNode& HTTPWebNode1() { return *m_node; }

private:
    InvokableInterface registration() const;
    void bindFromDescription(InvokableInterface& info);

    const InvokableRegistry& m_registry;
    std::unique_ptr<WebNode> m_node;
    EndpointUrl m_endpoint;

    // The description form: where the description is (empty once SetURL
    // names an endpoint), and what it said.
    EndpointUrl m_wsdl;
    std::string m_service;
    std::string m_port;
    bool m_bound = false;
    std::string m_wsdlAction;
    std::string m_wsdlNameSpace;
};

/// Registers HelloWorldPortType in `registry`; done for invRegistry() at
/// program start.
void registerHelloWorld(InvokableRegistry& registry);

} // namespace quorvane
