#include "consolidation/rate_grid.h"

#include "data/currency.h"
#include "data/data_access.h"

namespace agrimor {

std::vector<RateRow> loadRateGrid(DataAccess& db, const QString& currency) {
    // Newest first in time order, whatever text form another program stored the date in.
    Recordset rates = db.openReadOnly(
        QStringLiteral("Select Moeda,Data,Cambio,Id from zeb_CNS_Cambios where Moeda=? Order by ") +
            db.dialect().dateOrder(QStringLiteral("Data")) + QStringLiteral(" Desc"),
        {currency});
    std::vector<RateRow> rows;
    rows.reserve(static_cast<std::size_t>(rates.rowCount()));
    for (rates.moveFirst(); !rates.eof(); rates.moveNext()) {
        RateRow row;
        row.currency = rates.field(QStringLiteral("Moeda")).toText();
        row.date = rates.field(QStringLiteral("Data")).toDate();
        if (!rates.isNull(QStringLiteral("Cambio")))
            row.rate = rates.field(QStringLiteral("Cambio")).toMoney();
        row.id = static_cast<int>(rates.field(QStringLiteral("Id")).toInt());
        rows.push_back(row);
    }
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
        UpdatableRecordset stored = db.openUpdatable(QStringLiteral("zeb_CNS_Cambios"),
                                                     QStringLiteral("Id=?"), {row.id.value_or(0)});
        if (stored.isEmpty())
            stored.addNew();
        stored.setField(QStringLiteral("Moeda"), currency);
        stored.setField(QStringLiteral("Data"), row.date);
        stored.setField(QStringLiteral("Cambio"), row.rate ? Value(*row.rate) : Value());
        stored.update();
    }
    for (const int id : removedIds)
        db.execute(QStringLiteral(" Delete from zeb_CNS_Cambios where Id=?"), {id});
    transaction.commit();
    removedIds.clear();
    return loadRateGrid(db, currency);
}

}  // namespace agrimor
