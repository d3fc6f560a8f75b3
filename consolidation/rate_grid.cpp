#include "consolidation/rate_grid.h"

#include "data/currency.h"
#include "data/data_access.h"
#include "ledger/rate_table.h"

namespace agrimor {

std::vector<RateRow> loadRateGrid(DataAccess& db, const QString& currency) {
    std::vector<RateRow> rows;
    for (const StoredRate& stored : readRates(db, currency))
        rows.push_back({stored.currency, stored.date, stored.rate, stored.id, false});
    return rows;
}

std::vector<RateRow> storeRateGrid(DataAccess& db, const QString& currency,
                                   const std::vector<RateRow>& rows, QList<int>& removedIds) {
    if (needsNoRate(currency))
        return rows;
    Transaction transaction(db);
    for (const RateRow& row : rows) {
        if (!row.date.isValid() || !row.changed)
            continue;
        storeRateById(db, row.id, currency, row.date, row.rate);
    }
    for (const int id : removedIds)
        deleteRate(db, id);
    transaction.commit();
    removedIds.clear();
    return loadRateGrid(db, currency);
}

}  // namespace agrimor
