#include "workbook/workbook.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "workbook/row_pipeline.h"
#include "workbook/xls_process.h"
#include "workbook/xlsx_reader.h"

namespace agrimor {

namespace {

// Turns the rows that hold values into the rows a SheetSink takes: the first is the header and
// is not delivered, blank rows between are filled in, every row is at least as wide as the
// sheet. Only one row is held.
class HeaderSkipping : public CellRowSink {
public:
    explicit HeaderSkipping(SheetSink& sink) : sink_(sink) {}

    void statedRange(std::optional<CellRange> range) override { stated_ = range; }

    void row(int sheetRow, std::span<const Cell> cells) override {
        if (!begun_) {
            begun_ = true;
            columns_ = std::max<std::size_t>(cells.size(), stated_ ? stated_->lastColumn : 0);
            buffer_.resize(columns_);
            blank_.resize(columns_);
            sink_.begin(static_cast<int>(columns_));
            last_ = sheetRow;
            return;
        }
        for (int blank = last_ + 1; blank < sheetRow; ++blank)
            sink_.row(blank, blank_);
        last_ = sheetRow;
        if (cells.size() >= columns_) {
            sink_.row(sheetRow, cells);
            return;
        }
        std::copy(cells.begin(), cells.end(), buffer_.begin());
        for (std::size_t c = cells.size(); c < filled_; ++c)
            buffer_[c] = Cell();
        filled_ = cells.size();
        sink_.row(sheetRow, buffer_);
    }

    // A sheet without values has no header row and no columns.
    void finish() {
        if (!begun_)
            sink_.begin(0);
    }

private:
    SheetSink& sink_;
    std::optional<CellRange> stated_;
    bool begun_ = false;
    std::size_t columns_ = 0;
    int last_ = 0;
    std::vector<Cell> buffer_;
    std::size_t filled_ = 0;  // cells of buffer_ the last row set
    std::vector<Cell> blank_;
};

}  // namespace

WorkbookFileKind checkWorkbookFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        throw WorkbookError(WorkbookError::kFileNotFound,
                            QStringLiteral("O ficheiro não existe: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError(WorkbookError::kUnreadable,
                            unreadableWorkbookText(path, file.errorString()));
    const QByteArray magic = file.read(8);
    file.close();
    if (magic.startsWith(QByteArrayLiteral("PK\x03\x04")))
        return WorkbookFileKind::Package;
    if (magic == QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return WorkbookFileKind::Compound;
    throw WorkbookError(
        WorkbookError::kUnreadable,
        QStringLiteral("O ficheiro não é um livro de Excel (.xls ou .xlsx): %1").arg(path));
}

std::unique_ptr<Workbook> Workbook::open(const QString& path, const OpenOptions& options) {
    if (checkWorkbookFile(path) == WorkbookFileKind::Package)
        return openXlsx(path);
    return openXlsInReaderProcess(path, options);
}

QStringList Workbook::sheetNames() const {
    QStringList names;
    for (const SheetInfo& sheet : sheets())
        names << sheet.name;
    return names;
}

int Workbook::sheetIndex(const QString& name) const {
    const auto index = sheetNames().indexOf(name);
    if (index < 0)
        throw WorkbookError(WorkbookError::kUnreadable,
                            QStringLiteral("A folha '%1' não existe no livro.").arg(name));
    return static_cast<int>(index);
}

void Workbook::readSheet(const QString& name, SheetSink& sink) const {
    const int index = sheetIndex(name);
    HeaderSkipping rows(sink);
    readOnOtherThread([this, index](CellRowSink& out) { readCells(index, out); }, rows);
    rows.finish();
}

}  // namespace agrimor
