#pragma once

#include <algorithm>
#include <vector>

#include "workbook/workbook.h"

namespace agrimor::test {

// A workbook held in memory, its sheets' rows given from row 1: for the tests of the sheet
// readers, where the format that stored a cell does not matter and any cell can be made.
class MemoryWorkbook : public Workbook {
public:
    struct Sheet {
        QString name;
        std::vector<std::vector<Cell>> rows;
    };

    explicit MemoryWorkbook(std::vector<Sheet> sheets, DateSystem dateSystem = DateSystem::From1900)
        : sheets_(std::move(sheets)), dateSystem_(dateSystem) {}

    std::vector<SheetInfo> sheets() const override {
        std::vector<SheetInfo> infos;
        for (const Sheet& sheet : sheets_)
            infos.push_back({sheet.name, false});
        return infos;
    }
    DateSystem dateSystem() const override { return dateSystem_; }

    // As the readers give them: rows with a value only, each up to its last value.
    void readCells(int index, CellRowSink& sink) const override {
        sink.statedRange(std::nullopt);
        const auto& rows = sheets_.at(static_cast<std::size_t>(index)).rows;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const auto last = std::find_if(rows[r].rbegin(), rows[r].rend(),
                                           [](const Cell& cell) { return !cell.isEmpty(); });
            const auto width = static_cast<std::size_t>(rows[r].rend() - last);
            if (width > 0)
                sink.row(static_cast<int>(r) + 1, std::span<const Cell>(rows[r].data(), width));
        }
    }

private:
    std::vector<Sheet> sheets_;
    DateSystem dateSystem_;
};

}  // namespace agrimor::test
