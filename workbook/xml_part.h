#pragma once

#include <string>
#include <string_view>

namespace agrimor {

class ZipPackage;

// Receives one XML part as a stream of events (expat underneath). Names come without their
// namespace prefix (`x:c` is `c`): the parts are told apart by where they are, not by prefix.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // `attributes` as expat gives them: name, value, name, value, ..., null.
    virtual void startElement(std::string_view name, const char** attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    // Character data, possibly in several pieces.
    virtual void characters(std::string_view text) = 0;
};

// Streams the part `name` of `package` through `handler`, a chunk at a time. Malformed XML, or a
// document type declaration (no part of a workbook has one; refusing it keeps entity expansion
// out), throws WorkbookError naming the part and line. An exception thrown by the handler
// stops the parse and reaches the caller.
void parseXmlPart(const ZipPackage& package, const std::string& name, XmlHandler& handler);

// The value of the attribute whose name, without prefix, is `name`; null when there is none.
const char* xmlAttribute(const char** attributes, std::string_view name);

// `name` without its namespace prefix.
std::string_view localName(std::string_view name);
std::string_view localName(const char* name);

}  // namespace agrimor
