#include "workbook/zip_package.h"

#include <zip.h>

#include <QFile>

#include "workbook/workbook.h"
#include "workbook/xml_part.h"

namespace agrimor {

namespace {

// A part may inflate to this many times its packed size only while it stays small: a ratio that
// no spreadsheet reaches, beyond a size that a sheet of the format's largest reaches anyway.
constexpr unsigned long long kMaxRatio = 1000;
constexpr unsigned long long kRatioFreeSize = 64ULL << 20;

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && hexDigit(name[i + 1]) >= 0 &&
            hexDigit(name[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(name[i + 1]) * 16 + hexDigit(name[i + 2]));
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

// The relationships part of a source part: /xl/workbook.xml -> /xl/_rels/workbook.xml.rels.
std::string relationshipsPart(const std::string& source) {
    if (source == "/")
        return "/_rels/.rels";
    const std::size_t slash = source.rfind('/');
    return source.substr(0, slash + 1) + "_rels/" + source.substr(slash + 1) + ".rels";
}

class RelationshipsHandler : public XmlHandler {
public:
    RelationshipsHandler(std::string source, std::vector<Relationship>& out)
        : source_(std::move(source)), out_(out) {}

    void startElement(std::string_view name, const char** attributes) override {
        if (name != "Relationship")
            return;
        const char* id = xmlAttribute(attributes, "Id");
        const char* type = xmlAttribute(attributes, "Type");
        const char* target = xmlAttribute(attributes, "Target");
        const char* mode = xmlAttribute(attributes, "TargetMode");
        if (!id || !type || !target)
            return;
        const bool external = mode && std::string_view(mode) == "External";
        out_.push_back({id, type, external ? std::string() : resolvePartName(source_, target)});
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

private:
    std::string source_;
    std::vector<Relationship>& out_;
};

}  // namespace

ZipPackage::ZipPackage(const QString& path) : path_(path) {
    int error = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive_) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, error);
        const QString why = QString::fromUtf8(zip_error_strerror(&reason));
        zip_error_fini(&reason);
        refuse(QStringLiteral("o pacote zip está danificado (%1)").arg(why));
    }
}

ZipPackage::~ZipPackage() {
    if (archive_)
        zip_discard(archive_);
}

void ZipPackage::refuse(const QString& why) const {
    throw WorkbookError(WorkbookError::kUnreadable, unreadableWorkbookText(path_, why));
}

long long ZipPackage::locate(const std::string& part) const {
    if (part.size() < 2 || part.front() != '/')
        return -1;
    const std::string name = part.substr(1);
    zip_int64_t at = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
    if (at < 0) {
        const std::string decoded = percentDecoded(name);
        if (decoded != name)
            at = zip_name_locate(archive_, decoded.c_str(), ZIP_FL_NOCASE);
    }
    return at;
}

bool ZipPackage::contains(const std::string& part) const {
    return locate(part) >= 0;
}

ZipPackage::Part::Part(const ZipPackage& package, const std::string& name)
    : package_(package), name_(name) {
    const long long at = package.locate(name);
    if (at < 0)
        package.refuse(QStringLiteral("falta a parte %1").arg(QString::fromStdString(name)));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(package.archive_, static_cast<zip_uint64_t>(at), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE)) {
        package.refuse(
            QStringLiteral("a parte %1 está danificada").arg(QString::fromStdString(name)));
    }
    if (stat.size > kRatioFreeSize && stat.size / kMaxRatio > stat.comp_size) {
        package.refuse(QStringLiteral("a parte %1 diz ter %2 bytes em %3")
                           .arg(QString::fromStdString(name))
                           .arg(stat.size)
                           .arg(stat.comp_size));
    }
    left_ = stat.size;
    file_ = zip_fopen_index(package.archive_, static_cast<zip_uint64_t>(at), 0);
    if (!file_) {
        package.refuse(QStringLiteral("a parte %1 não pode ser lida (%2)")
                           .arg(QString::fromStdString(name),
                                QString::fromUtf8(zip_strerror(package.archive_))));
    }
}

ZipPackage::Part::~Part() {
    if (file_)
        zip_fclose(file_);
}

std::size_t ZipPackage::Part::read(void* into, std::size_t size) {
    if (left_ == 0)
        return 0;
    const auto wanted = static_cast<zip_uint64_t>(std::min<unsigned long long>(size, left_));
    const zip_int64_t got = zip_fread(file_, into, wanted);
    if (got <= 0) {
        package_.refuse(QStringLiteral("a parte %1 está danificada (%2)")
                            .arg(QString::fromStdString(name_),
                                 got < 0 ? QString::fromUtf8(zip_file_strerror(file_))
                                         : QStringLiteral("acaba antes do tamanho indicado")));
    }
    left_ -= static_cast<unsigned long long>(got);
    if (left_ == 0) {
        // One more read meets the end of the data, where libzip checks the checksum.
        char more = 0;
        const zip_int64_t extra = zip_fread(file_, &more, 1);
        if (extra != 0) {
            package_.refuse(QStringLiteral("a parte %1 está danificada (%2)")
                                .arg(QString::fromStdString(name_),
                                     extra < 0
                                         ? QString::fromUtf8(zip_file_strerror(file_))
                                         : QStringLiteral("tem mais do que o tamanho indicado")));
        }
    }
    return static_cast<std::size_t>(got);
}

std::vector<Relationship> readRelationships(const ZipPackage& package, const std::string& source) {
    std::vector<Relationship> relationships;
    const std::string part = relationshipsPart(source);
    if (!package.contains(part))
        return relationships;
    RelationshipsHandler handler(source, relationships);
    parseXmlPart(package, part, handler);
    return relationships;
}

std::string resolvePartName(const std::string& source, const std::string& target) {
    std::string path;
    if (!target.empty() && target.front() == '/')
        path = target;
    else
        path = source.substr(0, source.rfind('/') + 1) + target;
    // Drop a fragment or query, then resolve the segments.
    path = path.substr(0, path.find_first_of("#?"));
    std::vector<std::string> segments;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(at, end - at);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        at = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments)
        resolved += '/' + segment;
    return resolved.empty() ? std::string("/") : resolved;
}

bool isRelationshipOf(const Relationship& relationship, std::string_view kind) {
    const std::string_view type = relationship.type;
    return type.size() > kind.size() && type.ends_with(kind) &&
           type[type.size() - kind.size() - 1] == '/';
}

}  // namespace agrimor
