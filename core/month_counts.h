#pragma once

#include <array>
#include <cstdint>

#include "data/engine.h"

namespace agrimor {

// A count per month of one year: [1] to [12]; [0] is never used. Grouped statements fill it,
// and a month outside 1..12 (a wrong Mes or date in another program's row) is left out.
using MonthCounts = std::array<std::int64_t, 13>;

inline void addToMonth(MonthCounts& counts, std::int64_t month, std::int64_t count) {
    if (month >= 1 && month <= 12)
        counts[static_cast<std::size_t>(month)] += count;
}

// Adds up the rows of a statement grouped by month: the month first, the count last.
class MonthCountsSink : public RowSink {
public:
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>& values) override {
        if (!values.front().isNull())
            addToMonth(counts, values.front().toInt(), values.back().toInt());
        return true;
    }

    MonthCounts counts{};
};

}  // namespace agrimor
