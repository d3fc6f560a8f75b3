#include "workbook/row_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>

#include "workbook/workbook.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

class KeepingSink : public CellRowSink {
public:
    void statedRange(std::optional<CellRange> range) override {
        EXPECT_TRUE(rows.empty()) << "the stated range comes first";
        stated = range;
    }
    void row(int sheetRow, std::span<const Cell> cells) override {
        rows.push_back(sheetRow);
        values.push_back(cells.back().number);
        if (refuseAt == sheetRow)
            throw WorkbookError(WorkbookError::kTypeMismatch, u"recusada"_s);
    }
    std::optional<CellRange> stated;
    std::vector<int> rows;
    std::vector<double> values;
    int refuseAt = 0;
};

// Feeds `count` rows, then fails when asked to; counts what it produced.
auto rowsUpTo(int count, bool fail, std::atomic<int>& produced) {
    return [count, fail, &produced](CellRowSink& out) {
        out.statedRange(CellRange{1, 1, count, 2});
        for (int r = 1; r <= count; ++r) {
            const Cell cells[] = {Cell(), Cell::ofNumber(r)};
            out.row(r, cells);
            ++produced;
        }
        if (fail)
            throw WorkbookError(WorkbookError::kUnreadable, u"danificado"_s);
    };
}

TEST(RowPipeline, every_row_arrives_in_order_and_a_failure_after_the_rows_before_it) {
    std::atomic<int> produced = 0;
    KeepingSink sink;
    readOnOtherThread(rowsUpTo(5000, false, produced), sink);
    EXPECT_EQ(sink.stated, (CellRange{1, 1, 5000, 2}));
    ASSERT_EQ(sink.rows.size(), 5000u);
    for (int r = 0; r < 5000; ++r) {
        ASSERT_EQ(sink.rows[static_cast<std::size_t>(r)], r + 1);
        ASSERT_EQ(sink.values[static_cast<std::size_t>(r)], r + 1);
    }

    KeepingSink failing;
    try {
        readOnOtherThread(rowsUpTo(1000, true, produced), failing);
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_EQ(error.message(), u"danificado"_s);
    }
    EXPECT_EQ(failing.rows.size(), 1000u);  // every row read before the damage
}

TEST(RowPipeline, a_sink_that_refuses_a_row_stops_the_reading_soon) {
    std::atomic<int> produced = 0;
    KeepingSink sink;
    sink.refuseAt = 10;
    try {
        readOnOtherThread(rowsUpTo(1000000, false, produced), sink);
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_EQ(error.message(), u"recusada"_s);
    }
    EXPECT_EQ(sink.rows.size(), 10u);
    EXPECT_LT(produced, 10000);  // a few batches at most
}

}  // namespace
}  // namespace agrimor
