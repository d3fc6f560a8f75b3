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

}  // namespace agrimor
