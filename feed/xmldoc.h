// SPDX-License-Identifier: MIT
#pragma once
// libxml2 helpers shared by the response decoder and the service-description
// reader: one safe way to parse untrusted bytes, and small node accessors.

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

/// Parses bytes from the network: no network access, no DTD loading, no
/// entity substitution, libxml2's default size limits; every white-space-only
/// text node is dropped (CDATA sections are kept). Throws EDOMParseError:
/// reason, CR LF, "Line: n", CR LF, the first 40 characters of that line.
XmlDocPtr parseXmlDocument(std::string_view body);

/// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when
/// the bytes there are not a valid (shortest-form) sequence.
std::size_t utf8Sequence(std::string_view text, std::size_t i, unsigned long& cp);

/// Local name of an element; empty for other nodes.
std::string localName(const xmlNode* node);
/// Namespace URI of a node; empty when it has none.
std::string namespaceUri(const xmlNode* node);
/// Value of the unqualified attribute `name`; empty when absent.
std::string attribute(const xmlNode* node, const char* name);
bool hasAttribute(const xmlNode* node, const char* name);

} // namespace quorvane
