#include "ledger/rate_table.h"

#include "data/data_access.h"
#include "data/own_tables.h"
#include "data/text_width.h"

namespace agrimor {

namespace {

const QString kTable = QStringLiteral("zeb_CNS_Cambios");

// With `month`, each row's month as the database reads it from Data goes in `StoredRate::month`.
std::vector<StoredRate> readAll(DataAccess& db, const QString& filter, const Params& params,
                                bool month = false) {
    Recordset rates = db.openReadOnly(
        QStringLiteral("Select Moeda,Data,Cambio,Id") +
            (month ? QStringLiteral(",month(data) as Mes") : QString()) +
            QStringLiteral(" from zeb_CNS_Cambios where ") + filter + QStringLiteral(" Order by ") +
            db.dialect().dateOrder(QStringLiteral("Data")) + QStringLiteral(" Desc"),
        params);
    std::vector<StoredRate> rows;
    rows.reserve(static_cast<std::size_t>(rates.rowCount()));
    for (rates.moveFirst(); !rates.eof(); rates.moveNext()) {
        StoredRate row;
        row.currency = rates.field(QStringLiteral("Moeda")).toText();
        row.date = rates.field(QStringLiteral("Data")).toDate();
        if (!rates.isNull(QStringLiteral("Cambio")))
            row.rate = rates.field(QStringLiteral("Cambio")).toMoney();
        row.id = static_cast<int>(rates.field(QStringLiteral("Id")).toInt());
        if (month)
            row.month = static_cast<int>(rates.field(QStringLiteral("Mes")).toInt());
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

std::vector<StoredRate> readRates(DataAccess& db, const QString& currency) {
    return readAll(db, QStringLiteral("Moeda=?"), {currency});
}

std::vector<StoredRate> readMonthRates(DataAccess& db, const QString& currency, int month,
                                       int year) {
    return readAll(db, QStringLiteral("Moeda=? and month(data)=?  and year(data)=?"),
                   {currency, month, year});
}

std::vector<StoredRate> readYearRates(DataAccess& db, const QString& currency, int year) {
    return readAll(db, QStringLiteral("Moeda=? and year(data)=?"), {currency, year}, true);
}

void storeRateById(DataAccess& db, std::optional<int> id, const QString& currency, QDate date,
                   const std::optional<Money>& rate) {
    UpdatableRecordset stored = db.openUpdatable(kTable, QStringLiteral("Id=?"), {id.value_or(0)});
    if (stored.isEmpty())
        stored.addNew();
    stored.setField(QStringLiteral("Moeda"), currency);
    stored.setField(QStringLiteral("Data"), date);
    stored.setField(QStringLiteral("Cambio"), rate ? Value(*rate) : Value());
    stored.update();
}

void deleteRate(DataAccess& db, int id) {
    db.execute(QStringLiteral(" Delete from zeb_CNS_Cambios where Id=?"), {id});
}

void storeRateOfDay(DataAccess& db, const QString& currency, const Value& date, const Value& rate) {
    static const int width = ownColumnWidth(kTable, QStringLiteral("Moeda"));
    // Looked up by the currency as it is stored, so a longer text replaces the stored rate
    // instead of colliding with it.
    const Value code(cutToWidth(currency, width));
    auto stored = db.openUpdatable(
        kTable, QStringLiteral("Moeda = ? AND ") + db.dialect().dateEquals(QStringLiteral("Data")),
        {code, date});
    if (stored.isEmpty()) {
        stored.addNew();
        stored.setField(QStringLiteral("Moeda"), code);
        stored.setField(QStringLiteral("Data"), date);
    }
    stored.setField(QStringLiteral("Cambio"), rate);
    stored.update();
    // Each row queries anyway; sending a held-back insert now ties its failure to its own row.
    db.engine().flush();
}

}  // namespace agrimor
