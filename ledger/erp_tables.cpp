#include "ledger/erp_tables.h"

namespace agrimor {

namespace {

QString text(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

TableLayout layoutOf(const erp::Table& table) {
    TableLayout layout{text(table.name), {}};
    for (const erp::Column& column : table.columns)
        layout.columns << ColumnLayout{text(column.name), text(column.type)};
    return layout;
}

}  // namespace

const QStringList& movCtbColumns() {
    static const QStringList columns = [] {
        QStringList names;
        for (const erp::Column& column : erp::kMovCtbColumns)
            names << text(column.name);
        return names;
    }();
    return columns;
}

const QList<TableLayout>& erpTablesLayout() {
    static const QList<TableLayout> tables = [] {
        QList<TableLayout> layouts;
        for (const erp::Table& table : erp::kTables)
            layouts << layoutOf(table);
        return layouts;
    }();
    return tables;
}

}  // namespace agrimor
