#include "data/db_error.h"

namespace agrimor {

DbError::DbError(int number, QString message, QString sqlState, std::int64_t native)
    : Error(std::move(message), number), sqlState_(std::move(sqlState)), native_(native) {}

int classifyError(const QString& sqlState, std::int64_t native, const QString& message) {
    if (sqlState == QLatin1String("42S02") || native == 208 ||
        message.contains(QLatin1String("no such table:")))
        return DbError::kMissingTable;
    if (sqlState == QLatin1String("42S22") || native == 207 ||
        message.contains(QLatin1String("no such column:")) ||
        message.contains(QLatin1String("has no column named")))
        return DbError::kInvalidColumn;
    return static_cast<int>(native);
}

}  // namespace agrimor
