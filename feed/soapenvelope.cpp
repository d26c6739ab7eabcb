// SPDX-License-Identifier: MIT
#include "soapenvelope.h"

#include "core/text.h"
#include "core/exceptions.h"
#include "xmldoc.h"

#include <libxml/tree.h>

#include <cstring>
#include <memory>
#include <vector>

namespace quorvane {

namespace {

constexpr const char* kReplacementChar = "\xEF\xBF\xBD";

bool isXmlChar(unsigned long cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF)
        || (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The markup of a node as the parser would read it back, without indentation.
std::string nodeXml(xmlDoc* doc, xmlNode* node)
{
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), &xmlBufferFree);
    if (!buffer)
        throw std::bad_alloc();
    if (xmlNodeDump(buffer.get(), doc, node, 0, 0) < 0)
        return std::string();
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}

std::string textContent(const xmlNode* node)
{
    xmlChar* content = xmlNodeGetContent(node);
    if (content == nullptr)
        return std::string();
    std::string result(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return result;
}

bool holdsSingleText(const xmlNode* node)
{
    return node->children != nullptr && node->children->next == nullptr
        && node->children->type == XML_TEXT_NODE;
}

// Text of faultcode, faultstring and faultactor: one text node or nothing.
std::string singleText(const xmlNode* node)
{
    if (node == nullptr || node->children == nullptr)
        return std::string();
    if (!holdsSingleText(node))
        throw EXMLDocError();
    return textContent(node->children);
}

std::vector<std::string> splitNames(std::string_view names)
{
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= names.size()) {
        const size_t end = names.find_first_of(";,/:", start);
        const std::string_view part = names.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!part.empty())
            result.emplace_back(part);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return result;
}

void checkHeader(const xmlNode* header)
{
    for (const xmlNode* entry = header->children; entry; entry = entry->next) {
        if (entry->type != XML_ELEMENT_NODE)
            continue;
        // There are no header handlers, so every entry is unhandled.
        for (const xmlAttr* attr = entry->properties; attr; attr = attr->next) {
            if (std::strcmp(reinterpret_cast<const char*>(attr->name), "mustUnderstand") != 0)
                continue;
            if (textContent(reinterpret_cast<const xmlNode*>(attr)) == "1")
                throw Exception("Soap header " + localName(entry)
                                + " with attribute 'mustUnderstand' set to true was not handled");
        }
    }
}

[[noreturn]] void throwFault(xmlDoc* doc, const xmlNode* fault)
{
    const xmlNode* code = nullptr;
    const xmlNode* faultStringNode = nullptr;
    const xmlNode* actor = nullptr;
    xmlNode* detail = nullptr;
    for (xmlNode* child = fault->children; child; child = child->next) {
        const std::string name = localName(child);
        if (equalsIgnoringAsciiCase(name, "faultcode"))
            code = child;
        else if (equalsIgnoringAsciiCase(name, "faultstring"))
            faultStringNode = child;
        else if (equalsIgnoringAsciiCase(name, "faultactor"))
            actor = child;
        else if (equalsIgnoringAsciiCase(name, "detail"))
            detail = child;
    }
    std::string faultCode = singleText(code);
    const std::string faultString = singleText(faultStringNode);
    std::string faultActor = singleText(actor);
    std::string faultDetail = detail ? nodeXml(doc, detail) : std::string();
    throw ERemotableException(faultString, std::move(faultCode), std::move(faultActor), std::move(faultDetail));
}

xmlNode* findById(xmlNode* parent, std::string_view href)
{
    for (xmlNode* child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && hasAttribute(child, "id")
            && "#" + attribute(child, "id") == href)
            return child;
    }
    return nullptr;
}

std::string returnValue(xmlDoc* doc, xmlNode* envelope, xmlNode* body, xmlNode* response,
                        std::string_view returnNames)
{
    const std::vector<std::string> names = splitNames(returnNames);
    xmlNode* first = nullptr;
    xmlNode* matched = nullptr;
    int elements = 0;
    for (xmlNode* child = response->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        ++elements;
        if (!first)
            first = child;
        if (!matched) {
            const std::string name = localName(child);
            for (const std::string& candidate : names) {
                if (equalsIgnoringAsciiCase(name, candidate)) {
                    matched = child;
                    break;
                }
            }
        }
    }
    const auto noResult = [&] {
        return ESOAPDomConvertError("SOAP Response Packet: result element expected, received \""
                                    + nodeXml(doc, response) + "\"");
    };
    xmlNode* value = elements == 1 ? first : matched;
    if (!value)
        throw noResult();

    if (hasAttribute(value, "href")) {
        const std::string href = attribute(value, "href");
        xmlNode* target = findById(response, href);
        if (!target)
            target = findById(body, href);
        if (!target)
            target = findById(envelope, href);
        // A reference to nothing leaves the call without its result element.
        if (!target)
            throw noResult();
        value = target;
    }

    if (holdsSingleText(value))
        return textContent(value->children);
    std::string text;
    for (xmlNode* child = value->children; child; child = child->next)
        text += nodeXml(doc, child);
    return text;
}

} // namespace

std::string escapeXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t i = 0;
    while (i < text.size()) {
        unsigned long cp = 0;
        const size_t len = utf8Sequence(text, i, cp);
        if (len == 0 || !isXmlChar(cp)) {
            out += kReplacementChar;
            i += len == 0 ? 1 : len;
            continue;
        }
        switch (cp) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        // A raw CR would reach the server as LF after line-end normalisation.
        case '\r': out += "&#13;"; break;
        default: out.append(text.substr(i, len)); break;
        }
        i += len;
    }
    return out;
}

std::string buildSignalRequest(std::string_view nameSpace, int format, std::string_view fuck)
{
    std::string xml;
    xml.reserve(560 + nameSpace.size() + fuck.size());
    xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    xml += "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"";
    xml += kSoapEnvelopeNs;
    xml += "\" xmlns:xsd=\"";
    xml += kXmlSchemaNs;
    xml += "\" xmlns:xsi=\"";
    xml += kXmlSchemaInstanceNs;
    xml += "\" xmlns:SOAP-ENC=\"";
    xml += kSoapEncodingNs;
    xml += "\"><SOAP-ENV:Body SOAP-ENV:encodingStyle=\"";
    xml += kSoapEncodingNs;
    // Each request is a new document, so the first generated prefix is NS1.
    xml += "\"><NS1:Signal xmlns:NS1=\"";
    std::string ns = escapeXmlText(nameSpace);
    for (size_t pos = 0; (pos = ns.find('"', pos)) != std::string::npos; pos += 6)
        ns.replace(pos, 1, "&quot;");
    xml += ns;
    xml += "\"><format xsi:type=\"xsd:int\">";
    xml += std::to_string(format);
    xml += "</format><fuck xsi:type=\"xsd:string\">";
    xml += escapeXmlText(fuck);
    xml += "</fuck></NS1:Signal></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return xml;
}

std::string decodeSignalResponse(std::string_view body, std::string_view returnNames)
{
    XmlDocPtr doc = parseXmlDocument(body);
    xmlNode* envelope = xmlDocGetRootElement(doc.get());
    if (!envelope)
        throw ESOAPDomConvertError("Invalid SOAP Response");
    if (localName(envelope) != "Envelope" || namespaceUri(envelope) != kSoapEnvelopeNs)
        throw ESOAPDomConvertError(std::string("DocumentElement ") + kSoapEnvelopeNs + ":Envelope expected, "
                                   + namespaceUri(envelope) + ":" + localName(envelope) + " found");
    if (!envelope->children)
        throw ESOAPDomConvertError("Invalid SOAP request");

    // n counts the non-element nodes before the Body; the response element
    // is the Body's child at that position.
    long long n = 0;
    xmlNode* header = nullptr;
    xmlNode* bodyNode = nullptr;
    for (xmlNode* child = envelope->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            if (!bodyNode)
                ++n;
            continue;
        }
        const std::string name = localName(child);
        if (name == "Header") {
            if (header)
                throw ESOAPDomConvertError("Invalid SOAP request");
            header = child;
            checkHeader(child);
        } else if (name == "Body") {
            if (bodyNode)
                throw ESOAPDomConvertError("Invalid SOAP request");
            bodyNode = child;
        }
    }
    if (!bodyNode)
        return std::string();

    xmlNode* response = bodyNode->children;
    for (long long i = 0; response && i < n; ++i)
        response = response->next;
    if (!response)
        throw EListError(n);

    if (localName(response) == "Fault")
        throwFault(doc.get(), response);
    return returnValue(doc.get(), envelope, bodyNode, response, returnNames);
}

} // namespace quorvane
