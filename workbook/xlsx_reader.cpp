#include "workbook/xlsx_reader.h"

#include "workbook/workbook.h"
#include "workbook/xlsx_parts.h"
#include "workbook/xlsx_sheet.h"
#include "workbook/zip_package.h"

namespace agrimor {

namespace {

class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const QString& path) : package_(path), book_(readXlsxBook(package_)) {}

    std::vector<SheetInfo> sheets() const override {
        std::vector<SheetInfo> infos;
        infos.reserve(book_.sheets.size());
        for (const XlsxBook::Sheet& sheet : book_.sheets)
            infos.push_back(sheet.info);
        return infos;
    }

    DateSystem dateSystem() const override { return book_.dateSystem; }

    void readCells(int index, CellRowSink& sink) const override {
        checkSheetIndex(index, book_.sheets.size());
        readXlsxSheet(package_, book_, index, sink);
    }

private:
    ZipPackage package_;
    XlsxBook book_;
};

}  // namespace

std::unique_ptr<Workbook> openXlsx(const QString& path) {
    return std::make_unique<XlsxWorkbook>(path);
}

}  // namespace agrimor
