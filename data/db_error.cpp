#include "db_error.h"

namespace agrimor {

DbError::DbError(std::int64_t number, QString message, QString sqlState, std::int64_t native)
    : std::runtime_error(message.toStdString()),
      number_(number),
      message_(std::move(message)),
      sqlState_(std::move(sqlState)),
      native_(native) {}

std::int64_t classifyError(const QString& sqlState, std::int64_t native, const QString& message) {
    if (sqlState == QLatin1String("42S02") || native == 208 ||
        message.contains(QLatin1String("no such table:")))
        return DbError::kMissingTable;
    if (sqlState == QLatin1String("42S22") || native == 207 ||
        message.contains(QLatin1String("no such column:")) ||
        message.contains(QLatin1String("has no column named")))
        return DbError::kInvalidColumn;
    return native;
}

}  // namespace agrimor
