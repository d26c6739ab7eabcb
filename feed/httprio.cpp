// SPDX-License-Identifier: MIT
#include "httprio.h"

#include "curlwebnode.h"
#include "core/exceptions.h"
#include "soapenvelope.h"
#include "wsdl.h"

namespace quorvane {

namespace {
constexpr const char* kInterfaceName = "HelloWorldPortType";
}

void registerHelloWorld(InvokableRegistry& registry)
{
    InvokableInterface info;
    info.name = kInterfaceName;
    info.guid = "{CAB034B5-7448-7FC5-49B4-EF856667DBDA}";
    info.nameSpace = "urn:HelloWorld";
    info.encoding = "ISO-8859-1";
    info.soapAction = "urn:HelloWorld#Adder";
    info.rpcEncoded = true;
    registry.RegisterInterface(info);
}

namespace {
// Start-up registration: the interface is in the registry before main()
// runs, and so before any client exists. It sits beside the client, not the
// factory, so that a program making THTTPRIO itself links it too.
const bool g_registered = [] {
    registerHelloWorld(invRegistry());
    return true;
}();
} // namespace

THTTPRIO::THTTPRIO(const InvokableRegistry& registry, std::unique_ptr<WebNode> node)
    : m_registry(registry), m_node(node ? std::move(node) : std::make_unique<CurlWebNode>())
{
    (void)g_registered;
}

void THTTPRIO::SetURL(const std::string& url)
{
    m_endpoint = parseEndpointUrl(url);
    // An endpoint of one's own ends the description form.
    m_wsdl = EndpointUrl();
    m_bound = false;
    m_node->Close();
}

void THTTPRIO::SetWSDLLocation(const std::string& url, const std::string& service, const std::string& port)
{
    m_wsdl = parseEndpointUrl(url);
    m_service = service;
    m_port = port;
    m_bound = false;
    m_endpoint = EndpointUrl();
    m_node->Close();
}

void THTTPRIO::bindFromDescription(InvokableInterface& info)
{
    if (!m_bound) {
        const ServicePort port = readServicePort(m_node->Get(m_wsdl), m_service, m_port, "Signal");
        m_endpoint = parseEndpointUrl(port.location);
        m_wsdlAction = port.soapAction;
        m_wsdlNameSpace = port.nameSpace;
        m_bound = true;
    }
    info.soapAction = m_wsdlAction;
    if (!m_wsdlNameSpace.empty())
        info.nameSpace = m_wsdlNameSpace;
}

void THTTPRIO::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total)
{
    m_node->SetTimeouts(connect, total);
}

InvokableInterface THTTPRIO::registration() const
{
    std::optional<InvokableInterface> info = m_registry.Find(kInterfaceName);
    if (!info)
        throw Exception(std::string("Interface ") + kInterfaceName + " is not registered");
    return *info;
}

std::string THTTPRIO::Signal(int format, const std::string& fuck)
{
    // The action and names are read again on every call, as registered,
    // unless a service description supplies them.
    InvokableInterface info = registration();
    if (!m_wsdl.url.empty())
        bindFromDescription(info);
    if (m_endpoint.url.empty())
        throw Exception("No endpoint URL set");
    const std::string request = buildSignalRequest(info.nameSpace, format, fuck);
    const std::string response = m_node->Execute(m_endpoint, info.soapAction, request);
    return decodeSignalResponse(response, info.returnNames.empty() ? kDefaultReturnNames : info.returnNames);
}

} // namespace quorvane
