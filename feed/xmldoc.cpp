// SPDX-License-Identifier: MIT
#include "xmldoc.h"

#include "core/exceptions.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <mutex>
#include <vector>

namespace quorvane {

std::size_t utf8Sequence(std::string_view text, size_t i, unsigned long& cp)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t len = 0;
    unsigned long min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        len = 2; cp = lead & 0x1Fu; min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3; cp = lead & 0x0Fu; min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4; cp = lead & 0x07u; min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > text.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

std::string localName(const xmlNode* node)
{
    if (node->type != XML_ELEMENT_NODE || node->name == nullptr)
        return std::string();
    return reinterpret_cast<const char*>(node->name);
}

std::string namespaceUri(const xmlNode* node)
{
    if (node->ns == nullptr || node->ns->href == nullptr)
        return std::string();
    return reinterpret_cast<const char*>(node->ns->href);
}

std::string attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetNoNsProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr)
        return std::string();
    std::string result(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return result;
}

bool hasAttribute(const xmlNode* node, const char* name)
{
    return xmlHasNsProp(node, reinterpret_cast<const xmlChar*>(name), nullptr) != nullptr;
}

namespace {

struct ParseFailure {
    bool fatalSeen = false;
    bool errorSeen = false;
    std::string reason;
    int line = 0;
};

void collectParseError(void* userData, xmlErrorPtr error)
{
    auto* ctxt = static_cast<xmlParserCtxt*>(userData);
    if (ctxt == nullptr || error == nullptr || error->level < XML_ERR_ERROR)
        return;
    auto* failure = static_cast<ParseFailure*>(ctxt->_private);
    // The first fatal error is the cause; later ones are its echoes.
    if (failure->fatalSeen || (failure->errorSeen && error->level != XML_ERR_FATAL))
        return;
    failure->errorSeen = true;
    failure->fatalSeen = error->level == XML_ERR_FATAL;
    failure->reason = error->message ? error->message : "";
    while (!failure->reason.empty()
           && static_cast<unsigned char>(failure->reason.back()) <= ' ')
        failure->reason.pop_back();
    failure->line = error->line;
}

// First 40 characters of line `line` (1-based) of the body.
std::string sourceText(std::string_view body, int line)
{
    size_t start = 0;
    for (int l = 1; l < line && start != std::string_view::npos; ++l) {
        start = body.find('\n', start);
        if (start != std::string_view::npos)
            ++start;
    }
    if (line < 1 || start == std::string_view::npos || start > body.size())
        return std::string();
    std::string_view rest = body.substr(start);
    rest = rest.substr(0, rest.find('\n'));
    if (!rest.empty() && rest.back() == '\r')
        rest.remove_suffix(1);
    size_t end = 0;
    for (int chars = 0; end < rest.size() && chars < 40; ++chars) {
        unsigned long cp = 0;
        const size_t len = utf8Sequence(rest, end, cp);
        end += len == 0 ? 1 : len;
    }
    return std::string(rest.substr(0, end));
}

bool isBlankText(const xmlNode* node)
{
    if (node->type != XML_TEXT_NODE)
        return false;
    for (const xmlChar* c = node->content; c != nullptr && *c != 0; ++c) {
        // XML's white space: blank, tab, LF, CR.
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r')
            return false;
    }
    return true;
}

// XML_PARSE_NOBLANKS keeps white space that stands alone in an element
// ("<return>   </return>") or in one that also holds text ("<a>x<b/> </a>");
// the reply rules keep no white-space-only text at all. CDATA sections are not text nodes and stay.
// Only element content is walked: the children of an entity reference belong
// to the entity's declaration.
void dropBlankText(xmlNode* root)
{
    std::vector<xmlNode*> pending{root};
    while (!pending.empty()) {
        xmlNode* parent = pending.back();
        pending.pop_back();
        for (xmlNode* child = parent->children; child != nullptr;) {
            xmlNode* next = child->next;
            if (isBlankText(child)) {
                xmlUnlinkNode(child);
                xmlFreeNode(child);
            } else if (child->type == XML_ELEMENT_NODE) {
                pending.push_back(child);
            }
            child = next;
        }
    }
}

} // namespace

XmlDocPtr parseXmlDocument(std::string_view body)
{
    // libxml2 sets up its globals lazily, which is not safe when two threads
    // parse for the first time together.
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    if (body.size() > static_cast<size_t>(INT_MAX))
        throw EDOMParseError("Response too large to parse\r\nLine: 0\r\n");
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(), &xmlFreeParserCtxt);
    if (!ctxt)
        throw std::bad_alloc();
    ParseFailure failure;
    ctxt->_private = &failure;
    ctxt->sax->serror = &collectParseError;
    // NONET and no NOENT/DTDLOAD/HUGE: a response must never make us read
    // files, reach the network or expand entities past libxml2's limits.
    const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS;
    XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), body.data(), static_cast<int>(body.size()),
                                 nullptr, nullptr, options));
    if (!doc || !ctxt->wellFormed) {
        std::string reason = failure.reason.empty() ? std::string("Document is empty") : failure.reason;
        const int line = failure.errorSeen ? failure.line : 1;
        throw EDOMParseError(reason + "\r\nLine: " + std::to_string(line) + "\r\n" + sourceText(body, line));
    }
    if (xmlNode* root = xmlDocGetRootElement(doc.get()))
        dropBlankText(root);
    return doc;
}

} // namespace quorvane
