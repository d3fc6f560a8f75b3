#include "data/dialect.h"

namespace agrimor {

QString matchAllColumns(const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                        Params& params) {
    QStringList tests;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const ColumnInfo& column = columns[c];
        if (!column.comparable || column.name == QLatin1String(Dialect::kLocatorColumn))
            continue;
        if (original[c].isNull()) {
            tests << QStringLiteral("[%1] IS NULL").arg(column.name);
        } else {
            tests << QStringLiteral("[%1] = ?").arg(column.name);
            params << original[c];
        }
    }
    return tests.join(QStringLiteral(" AND "));
}

QString Dialect::updatableSelect(const QString& table, const QString& where,
                                 const QString& orderBy) const {
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(updatableColumns(), table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + orderBy;
    return sql;
}

QString Dialect::updateRow(const QString& table, const QStringList& setColumns,
                           const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                           const Value& locator, Params& params) const {
    QStringList sets;
    for (const QString& column : setColumns)
        sets << QStringLiteral("[%1] = ?").arg(column);
    const QString filter = rowFilter(columns, original, locator, params);
    return QStringLiteral("%1 SET %2 WHERE %3").arg(updateOne(table), sets.join(u", "), filter);
}

QString Dialect::deleteRow(const QString& table, const QList<ColumnInfo>& columns,
                           const std::vector<Value>& original, const Value& locator,
                           Params& params) const {
    const QString filter = rowFilter(columns, original, locator, params);
    return QStringLiteral("%1 WHERE %2").arg(deleteOne(table), filter);
}

}  // namespace agrimor
