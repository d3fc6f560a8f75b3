#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace agrimor {

// The one error type of the data-access layer. `number()` is what callers compare: the provider
// numbers below for a missing table or column, on every engine; otherwise the engine's own code
// (SQLite's result code, or the server's native error number over ODBC).
class DbError : public std::runtime_error {
public:
    static constexpr std::int64_t kMissingTable = -2147217865;   // 0x80040E37
    static constexpr std::int64_t kInvalidColumn = -2147217900;  // 0x80040E14

    DbError(std::int64_t number, QString message, QString sqlState = {}, std::int64_t native = 0);

    std::int64_t number() const { return number_; }
    const QString& message() const { return message_; }
    const QString& sqlState() const { return sqlState_; }
    std::int64_t nativeCode() const { return native_; }

    bool isMissingTable() const { return number_ == kMissingTable; }
    bool isInvalidColumn() const { return number_ == kInvalidColumn; }
    bool isMissingObject() const { return isMissingTable() || isInvalidColumn(); }

private:
    std::int64_t number_;
    QString message_;
    QString sqlState_;
    std::int64_t native_;
};

// Maps an engine's report onto the program's numbers. SQL Server says 208 / 207 (SQLSTATE 42S02 /
// 42S22); SQLite, directly or through its ODBC driver, says "no such table:" / "no such column:".
std::int64_t classifyError(const QString& sqlState, std::int64_t native, const QString& message);

}  // namespace agrimor
