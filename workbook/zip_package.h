#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct zip;
struct zip_file;

namespace agrimor {

// A zip package (.xlsx, .xlsm) opened for reading its parts, through libzip. Part names are
// those of the package: absolute, "/xl/workbook.xml"; they are looked up ignoring case, as
// package part names compare, and also percent-decoded. Every failure throws WorkbookError.
class ZipPackage {
public:
    explicit ZipPackage(const QString& path);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    const QString& path() const { return path_; }
    bool contains(const std::string& part) const;

    // One part read from start to end, a chunk at a time, never more than its stated size.
    class Part {
    public:
        Part(const ZipPackage& package, const std::string& name);
        ~Part();
        Part(const Part&) = delete;
        Part& operator=(const Part&) = delete;

        // Up to `size` further bytes into `into`; 0 at the end of the part.
        std::size_t read(void* into, std::size_t size);
        const std::string& name() const { return name_; }

    private:
        const ZipPackage& package_;
        std::string name_;
        zip_file* file_ = nullptr;
        unsigned long long left_ = 0;
    };

private:
    long long locate(const std::string& part) const;
    [[noreturn]] void refuse(const QString& why) const;

    QString path_;
    zip* archive_ = nullptr;
};

// A relationship of a package part: where the part points, by type.
struct Relationship {
    std::string id;
    std::string type;    // the full type URI
    std::string target;  // resolved to an absolute part name; empty for an external target
};

// The relationships of `source` ("/" for the package's own), from its .rels part; none when the
// package has no such part.
std::vector<Relationship> readRelationships(const ZipPackage& package, const std::string& source);

// `target` as an absolute part name: an absolute target as it is, a relative one against the
// folder of `source` ("." and ".." resolved).
std::string resolvePartName(const std::string& source, const std::string& target);

// True when the relationship type URI ends in "/" + `kind` ("worksheet", "officeDocument"...),
// whichever flavour of the format named it.
bool isRelationshipOf(const Relationship& relationship, std::string_view kind);

}  // namespace agrimor
