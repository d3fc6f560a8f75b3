#include "workbook/xlsx_parts.h"

#include <charconv>
#include <map>

#include "workbook/xml_part.h"
#include "workbook/zip_package.h"

namespace agrimor {

namespace {

bool isTrue(const char* value) {
    return value && (std::string_view(value) == "1" || std::string_view(value) == "true");
}

int toInt(const char* value, int otherwise) {
    if (!value)
        return otherwise;
    int result = 0;
    const std::string_view text(value);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    return error == std::errc() && end == text.data() + text.size() ? result : otherwise;
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

class WorkbookHandler : public XmlHandler {
public:
    struct Entry {
        QString name;
        bool hidden = false;
        std::string relationship;
    };

    void startElement(std::string_view name, const char** attributes) override {
        if (name == "workbookPr") {
            if (isTrue(xmlAttribute(attributes, "date1904")))
                dateSystem = DateSystem::From1904;
        } else if (name == "sheet") {
            const char* sheetName = xmlAttribute(attributes, "name");
            const char* state = xmlAttribute(attributes, "state");
            const char* id = xmlAttribute(attributes, "id");
            if (sheetName && id) {
                const std::string_view visibility = state ? state : "visible";
                entries.push_back({QString::fromUtf8(sheetName),
                                   visibility == "hidden" || visibility == "veryHidden", id});
            }
        }
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

    DateSystem dateSystem = DateSystem::From1900;
    std::vector<Entry> entries;
};

// <si> items in order; the text of an item is its <t> elements joined, directly or in rich-text
// runs <r>; phonetic runs <rPh> are not part of it.
class SharedStringsHandler : public XmlHandler {
public:
    explicit SharedStringsHandler(TextBlocks& out) : out_(out) {}

    void startElement(std::string_view name, const char**) override {
        if (name == "si") {
            inItem_ = true;
            text_.clear();
        } else if (name == "rPh") {
            ++phonetic_;
        } else if (name == "t" && inItem_ && phonetic_ == 0) {
            inText_ = true;
        }
    }
    void endElement(std::string_view name) override {
        if (name == "t") {
            inText_ = false;
        } else if (name == "rPh") {
            --phonetic_;
        } else if (name == "si") {
            out_.add(spreadsheetText(text_));
            inItem_ = false;
        }
    }
    void characters(std::string_view text) override {
        if (inText_)
            text_.append(text);
    }

private:
    TextBlocks& out_;
    std::string text_;
    bool inItem_ = false;
    bool inText_ = false;
    int phonetic_ = 0;
};

// The number formats the file defines and the format of each cell style (<cellXfs>).
class StylesHandler : public XmlHandler {
public:
    void startElement(std::string_view name, const char** attributes) override {
        if (name == "numFmts") {
            inFormats_ = true;
        } else if (name == "cellXfs") {
            inCellStyles_ = true;
        } else if (name == "numFmt" && inFormats_) {
            const int id = toInt(xmlAttribute(attributes, "numFmtId"), -1);
            const char* code = xmlAttribute(attributes, "formatCode");
            if (id >= 0 && code)
                custom_[id] = formatCodeKind(code);
        } else if (name == "xf" && inCellStyles_ && depth_ == 0) {
            formats_.push_back(toInt(xmlAttribute(attributes, "numFmtId"), 0));
        }
        if (inCellStyles_ && name != "cellXfs")
            ++depth_;
    }
    void endElement(std::string_view name) override {
        if (name == "numFmts") {
            inFormats_ = false;
        } else if (name == "cellXfs") {
            inCellStyles_ = false;
            depth_ = 0;
        } else if (inCellStyles_) {
            --depth_;
        }
    }
    void characters(std::string_view) override {}

    std::vector<NumberFormatKind> styleKinds() const {
        std::vector<NumberFormatKind> kinds;
        kinds.reserve(formats_.size());
        for (const int id : formats_) {
            const auto found = custom_.find(id);
            kinds.push_back(found != custom_.end() ? found->second : builtInFormatKind(id));
        }
        return kinds;
    }

private:
    std::map<int, NumberFormatKind> custom_;
    std::vector<int> formats_;
    bool inFormats_ = false;
    bool inCellStyles_ = false;
    int depth_ = 0;
};

const Relationship* find(const std::vector<Relationship>& relationships, std::string_view kind) {
    for (const Relationship& relationship : relationships) {
        if (isRelationshipOf(relationship, kind) && !relationship.target.empty())
            return &relationship;
    }
    return nullptr;
}

}  // namespace

QString spreadsheetText(std::string_view utf8) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            int value = 0;
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6 && hex; ++k) {
                const int digit = hexValue(text[k]);
                hex = digit >= 0;
                value = value * 16 + digit;
            }
            if (hex) {
                out += QChar(static_cast<char16_t>(value));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

XlsxBook readXlsxBook(const ZipPackage& package) {
    const auto refuse = [&](const QString& why) {
        throw WorkbookError(WorkbookError::kUnreadable,
                            unreadableWorkbookText(package.path(), why));
    };
    const Relationship* document = nullptr;
    const std::vector<Relationship> root = readRelationships(package, "/");
    document = find(root, "officeDocument");
    // A package without its own relationships is damaged; the workbook is still where every
    // writer puts it.
    const std::string bookPart = document ? document->target : std::string("/xl/workbook.xml");
    if (!package.contains(bookPart))
        refuse(QStringLiteral("o pacote não tem livro (%1)").arg(QString::fromStdString(bookPart)));

    WorkbookHandler workbook;
    parseXmlPart(package, bookPart, workbook);
    const std::vector<Relationship> related = readRelationships(package, bookPart);

    XlsxBook book;
    book.dateSystem = workbook.dateSystem;
    for (const WorkbookHandler::Entry& entry : workbook.entries) {
        for (const Relationship& relationship : related) {
            // Chart sheets, dialog sheets and macro sheets are not worksheets: no cells to read.
            if (relationship.id == entry.relationship &&
                isRelationshipOf(relationship, "worksheet") && !relationship.target.empty()) {
                book.sheets.push_back({{entry.name, entry.hidden}, relationship.target});
                break;
            }
        }
    }
    if (const Relationship* strings = find(related, "sharedStrings");
        strings && package.contains(strings->target)) {
        SharedStringsHandler handler(book.sharedStrings);
        parseXmlPart(package, strings->target, handler);
    }
    if (const Relationship* styles = find(related, "styles");
        styles && package.contains(styles->target)) {
        StylesHandler handler;
        parseXmlPart(package, styles->target, handler);
        book.styleKinds = handler.styleKinds();
    }
    return book;
}

}  // namespace agrimor
