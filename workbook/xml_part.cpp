#include "workbook/xml_part.h"

#include <expat.h>

#include <exception>
#include <memory>
#include <type_traits>

#include "workbook/workbook.h"
#include "workbook/zip_package.h"

namespace agrimor {

namespace {

constexpr int kChunk = 256 * 1024;

// The expat callbacks. Nothing may unwind through expat's C frames: an exception is kept and the
// parser stopped, and the caller rethrows it once expat has returned.
struct Parse {
    XML_Parser parser;
    XmlHandler& handler;
    std::exception_ptr failure;
    bool doctype = false;

    template <typename Call>
    void guarded(Call call) {
        if (failure)
            return;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
            XML_StopParser(parser, XML_FALSE);
        }
    }

    static void onStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        auto* parse = static_cast<Parse*>(self);
        parse->guarded([&] { parse->handler.startElement(localName(name), attributes); });
    }
    static void onEnd(void* self, const XML_Char* name) {
        auto* parse = static_cast<Parse*>(self);
        parse->guarded([&] { parse->handler.endElement(localName(name)); });
    }
    static void onText(void* self, const XML_Char* text, int length) {
        auto* parse = static_cast<Parse*>(self);
        parse->guarded([&] {
            parse->handler.characters(std::string_view(text, static_cast<std::size_t>(length)));
        });
    }
    static void onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        auto* parse = static_cast<Parse*>(self);
        parse->doctype = true;
        XML_StopParser(parse->parser, XML_FALSE);
    }
};

}  // namespace

std::string_view localName(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view localName(const char* name) {
    // One pass for the end and the prefix: this runs for every element and attribute.
    const char* local = name;
    const char* at = name;
    for (; *at; ++at) {
        if (*at == ':')
            local = at + 1;
    }
    return std::string_view(local, static_cast<std::size_t>(at - local));
}

const char* xmlAttribute(const char** attributes, std::string_view name) {
    for (; attributes[0]; attributes += 2) {
        if (localName(attributes[0]) == name)
            return attributes[1];
    }
    return nullptr;
}

void parseXmlPart(const ZipPackage& package, const std::string& name, XmlHandler& handler) {
    ZipPackage::Part part(package, name);
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
        throw std::bad_alloc();
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> owner(
        parser, &XML_ParserFree);
    Parse parse{parser, handler, nullptr};
    XML_SetUserData(parser, &parse);
    XML_SetElementHandler(parser, &Parse::onStart, &Parse::onEnd);
    XML_SetCharacterDataHandler(parser, &Parse::onText);
    XML_SetStartDoctypeDeclHandler(parser, &Parse::onDoctype);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);

    QString problem;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, kChunk);
        if (!buffer)
            throw std::bad_alloc();
        const std::size_t got = part.read(buffer, kChunk);
        const bool last = got == 0;
        if (XML_ParseBuffer(parser, static_cast<int>(got), last) != XML_STATUS_OK) {
            if (parse.doctype) {
                problem = QStringLiteral("a parte %1 declara um tipo de documento")
                              .arg(QString::fromStdString(name));
            } else if (!parse.failure) {
                problem = QStringLiteral("a parte %1 não é XML válido (linha %2: %3)")
                              .arg(QString::fromStdString(name))
                              .arg(XML_GetCurrentLineNumber(parser))
                              .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser))));
            }
            break;
        }
        if (last)
            break;
    }
    if (parse.failure)
        std::rethrow_exception(parse.failure);
    if (!problem.isEmpty())
        throw WorkbookError(WorkbookError::kUnreadable,
                            unreadableWorkbookText(package.path(), problem));
}

}  // namespace agrimor
