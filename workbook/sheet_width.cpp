#include "workbook/sheet_width.h"

#include <algorithm>

#include "workbook/workbook.h"

namespace agrimor {

namespace {

class WidestRow : public CellRowSink {
public:
    void statedRange(std::optional<CellRange> /*range*/) override {}
    void row(int /*sheetRow*/, std::span<const Cell> cells) override {
        columns = std::max(columns, static_cast<int>(cells.size()));
    }

    int columns = 0;
};

}  // namespace

int sheetWidth(const Workbook& workbook, const QString& sheet) {
    WidestRow widest;
    workbook.readCells(workbook.sheetIndex(sheet), widest);
    return widest.columns;
}

}  // namespace agrimor
