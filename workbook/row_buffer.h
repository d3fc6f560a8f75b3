#pragma once

#include <span>
#include <vector>

#include "workbook/workbook.h"

namespace agrimor {

// The row a reader is filling, reused from row to row. Setting a cell costs that cell and
// clearing costs the cells that were set, however far apart they stand; only handing the row on
// costs its width. The readers also count that width against kMaxSheetCells.
class RowBuffer {
public:
    // `column` counts from 1; an empty cell is not stored.
    void set(int column, Cell cell) {
        if (cell.isEmpty())
            return;
        const auto at = static_cast<std::size_t>(column - 1);
        if (at >= cells_.size())
            cells_.resize(at + 1);
        cells_[at] = std::move(cell);
        set_.push_back(at);
        width_ = std::max(width_, at + 1);
    }
    bool empty() const { return width_ == 0; }
    // From column A to the last cell set.
    std::span<const Cell> cells() const { return {cells_.data(), width_}; }
    void clear() {
        for (const std::size_t at : set_)
            cells_[at] = Cell();
        set_.clear();
        width_ = 0;
    }

private:
    std::vector<Cell> cells_;
    std::vector<std::size_t> set_;
    std::size_t width_ = 0;
};

}  // namespace agrimor
