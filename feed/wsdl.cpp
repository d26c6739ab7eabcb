// SPDX-License-Identifier: MIT
#include "wsdl.h"

#include "core/exceptions.h"
#include "xmldoc.h"

namespace quorvane {

namespace {

constexpr const char* kWsdlNs = "http://schemas.xmlsoap.org/wsdl/";
constexpr const char* kWsdlSoapNs = "http://schemas.xmlsoap.org/wsdl/soap/";

bool is(const xmlNode* node, const char* ns, const char* local)
{
    return node->type == XML_ELEMENT_NODE && localName(node) == local && namespaceUri(node) == ns;
}

// First child `ns:local` whose attribute "name" is `name` (any name when null).
const xmlNode* child(const xmlNode* parent, const char* ns, const char* local, const std::string* name = nullptr)
{
    for (const xmlNode* node = parent ? parent->children : nullptr; node; node = node->next) {
        if (is(node, ns, local) && (!name || attribute(node, "name") == *name))
            return node;
    }
    return nullptr;
}

// The local part of a qualified name such as "tns:HelloWorldBinding".
std::string localPart(const std::string& qname)
{
    const size_t colon = qname.find(':');
    return colon == std::string::npos ? qname : qname.substr(colon + 1);
}

} // namespace

ServicePort readServicePort(std::string_view wsdl, const std::string& service, const std::string& port,
                            const std::string& operation)
{
    XmlDocPtr doc = parseXmlDocument(wsdl);
    const xmlNode* definitions = xmlDocGetRootElement(doc.get());
    if (!definitions || !is(definitions, kWsdlNs, "definitions"))
        throw Exception("The service description is not a WSDL 1.1 document");

    const xmlNode* portNode = child(child(definitions, kWsdlNs, "service", &service), kWsdlNs, "port", &port);
    if (!portNode)
        throw Exception("Port '" + port + "' of service '" + service + "' not found in the service description");
    ServicePort result;
    const xmlNode* address = child(portNode, kWsdlSoapNs, "address");
    result.location = address ? attribute(address, "location") : std::string();
    if (result.location.empty())
        throw Exception("Port '" + port + "' of service '" + service + "' has no SOAP address");

    const std::string bindingName = localPart(attribute(portNode, "binding"));
    const xmlNode* op = child(child(definitions, kWsdlNs, "binding", &bindingName), kWsdlNs, "operation", &operation);
    if (const xmlNode* soapOperation = child(op, kWsdlSoapNs, "operation"))
        result.soapAction = attribute(soapOperation, "soapAction");
    if (const xmlNode* body = child(child(op, kWsdlNs, "input"), kWsdlSoapNs, "body"))
        result.nameSpace = attribute(body, "namespace");
    return result;
}

} // namespace quorvane
