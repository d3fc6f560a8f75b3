#pragma once

#include <QString>
#include <cstdint>

#include "data/error.h"

namespace agrimor {

// The one error type of the data-access layer. `number()` is what callers compare: the provider
// numbers below for a missing table or column, on every engine; otherwise the engine's own code
// (SQLite's result code, or the server's native error number over ODBC, a 32-bit integer).
class DbError : public Error {
public:
    static constexpr int kMissingTable = -2147217865;   // 0x80040E37
    static constexpr int kInvalidColumn = -2147217900;  // 0x80040E14

    DbError(int number, QString message, QString sqlState = {}, std::int64_t native = 0);

    const QString& sqlState() const { return sqlState_; }
    std::int64_t nativeCode() const { return native_; }

    // A missing table or column.
    bool isMissingObject() const { return number() == kMissingTable || number() == kInvalidColumn; }

private:
    QString sqlState_;
    std::int64_t native_;
};

// Maps an engine's report onto the program's numbers. SQL Server says 208 / 207 (SQLSTATE 42S02 /
// 42S22); SQLite, directly or through its ODBC driver, says "no such table:" / "no such column:".
int classifyError(const QString& sqlState, std::int64_t native, const QString& message);

}  // namespace agrimor
