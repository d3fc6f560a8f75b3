#include "ledger/movement_line.h"

#include <QHash>

#include "data/data_access.h"
#include "data/db_error.h"

namespace agrimor {

MovementRole movementRole(const QString& column) {
    static const QHash<QString, MovementRole> roles = [] {
        QHash<QString, MovementRole> byName;
        for (std::size_t c = 0; c < movctb::kColumnCount; ++c) {
            const std::string_view name = erp::kMovCtbColumns[c].name;
            byName.insert(
                QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())).toUpper(),
                movctb::roleOf(static_cast<int>(c)));
        }
        return byName;
    }();
    return roles.value(column.toUpper(), MovementRole::Copy);
}

MovementWriter::MovementWriter(DataAccess& company)
    : company_(company),
      table_(company.openUpdatable(QStringLiteral("MovCTB"), QStringLiteral("Ano=?"), {-1})) {
    for (const ColumnInfo& column : table_.columns())
        roles_.push_back(movementRole(column.name));
}

void MovementWriter::finish() {
    const Clock::time_point started = Clock::now();
    company_.engine().flush();
    if (keepTime_)
        spent_ += Clock::now() - started;
}

void MovementWriter::noSuchColumn(const QString& name) {
    throw DbError(DbError::kInvalidColumn,
                  QStringLiteral("O campo '%1' não existe no conjunto de registos").arg(name));
}

}  // namespace agrimor
