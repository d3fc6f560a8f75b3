#include "data/odbc_result_reader.h"

#include <sqlucode.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "data/odbc_engine.h"
#include "data/odbc_support.h"

namespace agrimor::odbc {

namespace {

using Column = ResultReader::Column;
using Fetch = ResultReader::Fetch;

// The longest values still bound: SQL Server's longest nvarchar(n) and varbinary(n).
constexpr SQLULEN kLongestBoundText = 4000;
constexpr SQLULEN kLongestBoundBinary = 8000;
// A block's buffers stay within this, however wide the rows.
constexpr std::size_t kBlockBytes = std::size_t(1) << 19;

bool isCharacterType(SQLSMALLINT sqlType) {
    return sqlType == SQL_CHAR || sqlType == SQL_VARCHAR || sqlType == SQL_LONGVARCHAR ||
           sqlType == SQL_WCHAR || sqlType == SQL_WVARCHAR || sqlType == SQL_WLONGVARCHAR;
}

// `typeName` is the column's declared type. It only matters where a driver reports a declared
// amount or date as text or double (SQLite's: "money" and "decimal" come as text, "numeric" as
// double); a server's own types already say what they are.
Column classifyColumn(SQLSMALLINT sqlType, const QString& typeName) {
    Column column;
    if (isCharacterType(sqlType) || sqlType == SQL_DOUBLE) {
        const QString name = typeName.toLower();
        if (name.contains(QLatin1String("money")) || name.contains(QLatin1String("decimal")) ||
            name.contains(QLatin1String("numeric")))
            sqlType = SQL_DECIMAL;
        else if (isCharacterType(sqlType) &&
                 (name.contains(QLatin1String("date")) || name.contains(QLatin1String("time"))))
            sqlType = SQL_TYPE_TIMESTAMP;
    }
    switch (sqlType) {
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            column.info.kind = Value::Kind::Integer;
            column.fetch = Fetch::Integer;
            column.bindable = true;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            column.info.kind = Value::Kind::Real;
            column.fetch = Fetch::Real;
            column.bindable = true;
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            column.info.kind = Value::Kind::Money;
            column.fetch = Fetch::Decimal;
            column.bindable = true;
            break;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIME:
        case SQL_TIMESTAMP:
            column.info.kind = Value::Kind::DateTime;
            column.fetch = Fetch::DateTime;
            column.bindable = true;
            break;
        case SQL_BINARY:
        case SQL_VARBINARY:
            column.info.comparable = false;
            column.fetch = Fetch::Binary;
            column.bindable = true;
            break;
        case SQL_LONGVARBINARY:
            column.info.comparable = false;
            column.fetch = Fetch::Binary;
            break;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
        case -152:  // SQL Server's xml: no equality either
            column.info.comparable = false;
            break;
        default:
            // Read as text; bound only where the type says how long its text is.
            column.bindable = isCharacterType(sqlType) || sqlType == SQL_GUID;
            break;
    }
    return column;
}

// How a column is bound, when its values have a bounded size. Fixed-size C types take exactly
// their own size: a driver steps through a column-wise array by that size.
std::optional<ColumnBinding> bindingFor(const Column& column) {
    if (!column.bindable)
        return std::nullopt;
    switch (column.fetch) {
        case Fetch::Integer:
            return ColumnBinding{SQL_C_SBIGINT, sizeof(SQLBIGINT)};
        case Fetch::Real:
            return ColumnBinding{SQL_C_DOUBLE, sizeof(double)};
        case Fetch::DateTime:
            return ColumnBinding{SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)};
        case Fetch::Decimal:
            if (column.size == 0 || column.size > kLongestBoundText)
                return std::nullopt;
            // The digits, a sign, a point, a leading zero and the terminator; at least what a
            // double written as text takes.
            return ColumnBinding{SQL_C_CHAR,
                                 static_cast<SQLLEN>(std::max<SQLULEN>(column.size, 32) + 8)};
        case Fetch::Text:
            if (column.size == 0 || column.size > kLongestBoundText)
                return std::nullopt;
            return ColumnBinding{SQL_C_WCHAR,
                                 static_cast<SQLLEN>((column.size + 1) * sizeof(SQLWCHAR))};
        case Fetch::Binary:
            if (column.size == 0 || column.size > kLongestBoundBinary)
                return std::nullopt;
            return ColumnBinding{SQL_C_BINARY, static_cast<SQLLEN>(column.size)};
    }
    return std::nullopt;
}

// The bytes a C type's terminator takes; a bound value longer than its buffer less these was cut.
int terminatorOf(SQLSMALLINT cType) {
    switch (cType) {
        case SQL_C_WCHAR:
            return sizeof(SQLWCHAR);
        case SQL_C_CHAR:
            return 1;
        default:
            return 0;
    }
}

bool isVariable(SQLSMALLINT cType) {
    return cType == SQL_C_WCHAR || cType == SQL_C_CHAR || cType == SQL_C_BINARY;
}

std::size_t aligned(std::size_t bytes) {
    constexpr std::size_t kAlignment = 16;
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

Value timestampValue(const SQL_TIMESTAMP_STRUCT& v) {
    const QDate date(v.year, v.month, v.day);
    const QTime time(v.hour, v.minute, v.second, static_cast<int>(v.fraction / 1'000'000));
    return naiveDateTime(date, time.isValid() ? time : QTime(0, 0));
}

Value decimalValue(const QString& text) {
    if (const std::optional<Money> money = Money::parse(text))
        return *money;
    // SQLite writes a double that way ("1.0e-05"); text that is no number stays.
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    if (isNumber && std::abs(number) < 9.0e14)
        return Money::fromDouble(number);
    return text;
}

Value textValue(const char* bytes, std::size_t size) {
    return fromWide(reinterpret_cast<const SQLWCHAR*>(bytes),
                    static_cast<qsizetype>(size / sizeof(SQLWCHAR)));
}

Value binaryValue(const char* bytes, std::size_t size) {
    return QString::fromLatin1(
        QByteArray::fromRawData(bytes, static_cast<qsizetype>(size)).toHex());
}

}  // namespace

ResultReader::ResultReader(bool wideApi, bool declaredSizesHold)
    : wideApi_(wideApi),
      declaredSizesHold_(declaredSizesHold),
      rowStatus_(static_cast<std::size_t>(OdbcEngine::kFetchRows)) {}

bool ResultReader::read(SQLHSTMT handle, SQLSMALLINT columnCount, ResultBinding& binding,
                        RowSink& sink) {
    describe(handle, columnCount);
    QList<ColumnInfo> infos;
    infos.reserve(static_cast<qsizetype>(columns_.size()));
    for (const Column& column : columns_)
        infos.append(column.info);
    sink.columns(infos);

    std::vector<ColumnBinding> plan;
    plan.reserve(columns_.size());
    bool variable = false;
    std::size_t rowBytes = 0;
    for (const Column& column : columns_) {
        const std::optional<ColumnBinding> columnBinding = bindingFor(column);
        if (!columnBinding)
            return readRows(handle, binding, sink);
        variable = variable || isVariable(columnBinding->cType);
        rowBytes += static_cast<std::size_t>(columnBinding->width) + sizeof(SQLLEN);
        plan.push_back(*columnBinding);
    }
    SQLULEN rows = 1;
    if (declaredSizesHold_ || !variable)
        rows = std::clamp<std::size_t>(kBlockBytes / std::max<std::size_t>(rowBytes, 1), 1,
                                       OdbcEngine::kFetchRows);
    bind(handle, binding, plan, rows);
    return readBlocks(handle, setRowsPerFetch(handle, rows), sink);
}

void ResultReader::describe(SQLHSTMT handle, SQLSMALLINT columnCount) {
    constexpr SQLSMALLINT kNameRoom = 256;
    columns_.clear();
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columnCount); ++c) {
        QString name, typeName;
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0, typeNameBytes = 0;
        SQLULEN size = 0;
        if (wideApi_) {
            SQLWCHAR nameText[kNameRoom] = {};
            SQLWCHAR typeText[kNameRoom] = {};
            if (failed(SQLDescribeColW(handle, c, nameText, kNameRoom, &nameLength, &sqlType, &size,
                                       &digits, &nullable)))
                throwFetch(handle);
            if (!SQL_SUCCEEDED(SQLColAttributeW(handle, c, SQL_DESC_TYPE_NAME, typeText,
                                                sizeof typeText, &typeNameBytes, nullptr)))
                typeNameBytes = 0;
            name = fromWide(nameText, std::clamp<SQLSMALLINT>(nameLength, 0, kNameRoom - 1));
            typeName =
                fromWide(typeText, std::clamp<SQLSMALLINT>(typeNameBytes / 2, 0, kNameRoom - 1));
        } else {
            SQLCHAR nameText[kNameRoom * 4] = {};
            SQLCHAR typeText[kNameRoom] = {};
            if (failed(SQLDescribeCol(handle, c, nameText, sizeof nameText, &nameLength, &sqlType,
                                      &size, &digits, &nullable)))
                throwFetch(handle);
            if (!SQL_SUCCEEDED(SQLColAttribute(handle, c, SQL_DESC_TYPE_NAME, typeText,
                                               sizeof typeText, &typeNameBytes, nullptr)))
                typeNameBytes = 0;
            name = QString::fromUtf8(reinterpret_cast<const char*>(nameText),
                                     std::clamp<SQLSMALLINT>(nameLength, 0, sizeof nameText - 1));
            typeName = QString::fromUtf8(reinterpret_cast<const char*>(typeText),
                                         std::clamp<SQLSMALLINT>(typeNameBytes, 0, kNameRoom - 1));
        }
        Column column = classifyColumn(sqlType, typeName);
        column.info.name = name;
        column.size = size;
        columns_.push_back(std::move(column));
    }
}

// Lays the block buffers out for `plan` and binds them, unless the statement is still bound
// exactly so.
void ResultReader::bind(SQLHSTMT handle, ResultBinding& binding,
                        const std::vector<ColumnBinding>& plan, SQLULEN rows) {
    std::vector<std::size_t> offsets;
    offsets.reserve(plan.size() * 2);
    std::size_t total = 0;
    for (const ColumnBinding& column : plan) {
        offsets.push_back(total);
        total += aligned(rows * static_cast<std::size_t>(column.width));
        offsets.push_back(total);
        total += aligned(rows * sizeof(SQLLEN));
    }
    if (buffers_.size() < total)
        buffers_ = std::vector<char>(total);
    for (std::size_t c = 0; c < plan.size(); ++c) {
        Column& column = columns_[c];
        column.values = buffers_.data() + offsets[c * 2];
        column.indicators = reinterpret_cast<const SQLLEN*>(buffers_.data() + offsets[c * 2 + 1]);
        column.width = plan[c].width;
    }
    if (binding.columns == plan && binding.buffers == buffers_.data())
        return;

    if (!binding.columns.empty() && failed(SQLFreeStmt(handle, SQL_UNBIND)))
        throwRead(handle);
    binding.columns.clear();
    for (std::size_t c = 0; c < plan.size(); ++c) {
        char* values = buffers_.data() + offsets[c * 2];
        auto* indicators = reinterpret_cast<SQLLEN*>(buffers_.data() + offsets[c * 2 + 1]);
        if (failed(SQLBindCol(handle, static_cast<SQLUSMALLINT>(c + 1), plan[c].cType, values,
                              plan[c].width, indicators)))
            throwRead(handle);
    }
    binding.columns = plan;
    binding.buffers = buffers_.data();
}

// Sets the rows one fetch brings and where the driver reports them, on every run: a driver may
// reset statement attributes when it executes. A driver may lower the size it is given (never
// raise it); one that refuses blocks is read a row per fetch. Returns the size in force.
SQLULEN ResultReader::setRowsPerFetch(SQLHSTMT handle, SQLULEN rows) {
    if (failed(SQLSetStmtAttr(handle, SQL_ATTR_ROWS_FETCHED_PTR, &rowsFetched_, 0)) ||
        failed(SQLSetStmtAttr(handle, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.data(), 0)))
        throwRead(handle);
    SQLULEN actual = 0;
    if (failed(SQLSetStmtAttr(handle, SQL_ATTR_ROW_ARRAY_SIZE, integerAttribute(rows), 0)) ||
        failed(SQLGetStmtAttr(handle, SQL_ATTR_ROW_ARRAY_SIZE, &actual, 0, nullptr)) ||
        actual < 1 || actual > rows) {
        if (rows == 1 ||
            failed(SQLSetStmtAttr(handle, SQL_ATTR_ROW_ARRAY_SIZE, integerAttribute(1), 0)))
            throwRead(handle);
        actual = 1;
    }
    return actual;
}

bool ResultReader::readBlocks(SQLHSTMT handle, SQLULEN rows, RowSink& sink) {
    std::vector<Value> values;
    for (;;) {
        rowsFetched_ = 0;
        const SQLRETURN rc = SQLFetch(handle);
        if (rc == SQL_NO_DATA)
            return true;
        if (failed(rc))
            throwFetch(handle);
        SQLULEN fetched = 1;
        if (rows > 1) {
            // Without the count, the rows of this fetch cannot be told from those of the last.
            if (rowsFetched_ < 1 || rowsFetched_ > rows)
                throw DbError(0,
                              QStringLiteral("O controlador ODBC não indicou quantas linhas leu"),
                              QStringLiteral("HY000"));
            fetched = rowsFetched_;
        }
        // A row the driver could not read fails the query; its diagnostics are read before
        // anything else uses the handle.
        for (SQLULEN r = 0; r < fetched; ++r) {
            if (rowStatus_[r] == SQL_ROW_ERROR)
                throwRead(handle);
        }
        for (SQLULEN r = 0; r < fetched; ++r) {
            blockRow(handle, r, rows, values);
            if (!sink.row(values))
                return false;
        }
    }
}

void ResultReader::blockRow(SQLHSTMT handle, SQLULEN row, SQLULEN rows,
                            std::vector<Value>& values) {
    values.clear();
    values.reserve(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const Column& column = columns_[c];
        const SQLLEN indicator = column.indicators[row];
        if (indicator == SQL_NULL_DATA) {
            values.emplace_back();
            continue;
        }
        const char* cell = column.values + row * static_cast<SQLULEN>(column.width);
        const auto fits = [&](int terminator) {
            return indicator != SQL_NO_TOTAL && indicator >= 0 &&
                   indicator <= column.width - terminator;
        };
        switch (column.fetch) {
            case Fetch::Integer: {
                SQLBIGINT v = 0;
                std::memcpy(&v, cell, sizeof v);
                values.emplace_back(v);
                break;
            }
            case Fetch::Real: {
                double v = 0;
                std::memcpy(&v, cell, sizeof v);
                values.emplace_back(v);
                break;
            }
            case Fetch::DateTime: {
                SQL_TIMESTAMP_STRUCT v = {};
                std::memcpy(&v, cell, sizeof v);
                values.emplace_back(timestampValue(v));
                break;
            }
            case Fetch::Decimal:
                if (fits(1)) {
                    values.emplace_back(decimalValue(QString::fromLatin1(cell, indicator)));
                } else {
                    values.emplace_back(decimalValue(QString::fromLatin1(whole(handle, c, rows))));
                }
                break;
            case Fetch::Text:
                if (fits(sizeof(SQLWCHAR))) {
                    values.emplace_back(textValue(cell, static_cast<std::size_t>(indicator)));
                } else {
                    const QByteArray& bytes = whole(handle, c, rows);
                    values.emplace_back(
                        textValue(bytes.constData(), static_cast<std::size_t>(bytes.size())));
                }
                break;
            case Fetch::Binary:
                if (fits(0)) {
                    values.emplace_back(binaryValue(cell, static_cast<std::size_t>(indicator)));
                } else {
                    const QByteArray& bytes = whole(handle, c, rows);
                    values.emplace_back(
                        binaryValue(bytes.constData(), static_cast<std::size_t>(bytes.size())));
                }
                break;
        }
    }
}

// A bound value that did not fit its buffer, read again whole. Only a one-row fetch leaves the
// row where SQLGetData reaches it; a block is only used where values cannot outgrow their buffers.
const QByteArray& ResultReader::whole(SQLHSTMT handle, std::size_t column, SQLULEN rows) {
    const Column& info = columns_[column];
    if (rows != 1)
        throw DbError(0,
                      QStringLiteral("A coluna %1 trouxe um valor maior do que o seu tamanho")
                          .arg(info.info.name),
                      QStringLiteral("22001"));
    const SQLSMALLINT cType = info.fetch == Fetch::Text      ? SQL_C_WCHAR
                              : info.fetch == Fetch::Decimal ? SQL_C_CHAR
                                                             : SQL_C_BINARY;
    if (!getVariable(handle, static_cast<SQLUSMALLINT>(column + 1), cType, terminatorOf(cType),
                     bytes_))
        throwRead(handle);
    return bytes_;
}

bool ResultReader::readRows(SQLHSTMT handle, ResultBinding& binding, RowSink& sink) {
    if (!binding.columns.empty()) {
        if (failed(SQLFreeStmt(handle, SQL_UNBIND)))
            throwRead(handle);
        binding.columns.clear();
        binding.buffers = nullptr;
    }
    setRowsPerFetch(handle, 1);
    std::vector<Value> values;
    for (;;) {
        const SQLRETURN rc = SQLFetch(handle);
        if (rc == SQL_NO_DATA)
            return true;
        if (failed(rc))
            throwFetch(handle);
        getRow(handle, values);
        if (!sink.row(values))
            return false;
    }
}

void ResultReader::getRow(SQLHSTMT handle, std::vector<Value>& values) {
    values.clear();
    values.reserve(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(c + 1);
        SQLLEN indicator = 0;
        SQLRETURN rc = SQL_SUCCESS;
        switch (columns_[c].fetch) {
            case Fetch::Integer: {
                SQLBIGINT v = 0;
                rc = SQLGetData(handle, number, SQL_C_SBIGINT, &v, 0, &indicator);
                if (SQL_SUCCEEDED(rc))
                    values.emplace_back(indicator == SQL_NULL_DATA ? Value() : Value(v));
                break;
            }
            case Fetch::Real: {
                double v = 0;
                rc = SQLGetData(handle, number, SQL_C_DOUBLE, &v, 0, &indicator);
                if (SQL_SUCCEEDED(rc))
                    values.emplace_back(indicator == SQL_NULL_DATA ? Value() : Value(v));
                break;
            }
            case Fetch::DateTime: {
                SQL_TIMESTAMP_STRUCT v = {};
                rc = SQLGetData(handle, number, SQL_C_TYPE_TIMESTAMP, &v, sizeof v, &indicator);
                if (SQL_SUCCEEDED(rc))
                    values.emplace_back(indicator == SQL_NULL_DATA ? Value() : timestampValue(v));
                break;
            }
            case Fetch::Decimal:
                if (getVariable(handle, number, SQL_C_CHAR, 1, bytes_))
                    values.emplace_back(decimalValue(QString::fromLatin1(bytes_)));
                else
                    values.emplace_back();
                break;
            case Fetch::Text:
                if (getVariable(handle, number, SQL_C_WCHAR, sizeof(SQLWCHAR), bytes_))
                    values.emplace_back(
                        textValue(bytes_.constData(), static_cast<std::size_t>(bytes_.size())));
                else
                    values.emplace_back();
                break;
            case Fetch::Binary:
                if (getVariable(handle, number, SQL_C_BINARY, 0, bytes_))
                    values.emplace_back(
                        binaryValue(bytes_.constData(), static_cast<std::size_t>(bytes_.size())));
                else
                    values.emplace_back();
                break;
        }
        if (failed(rc))
            throwRead(handle);
    }
}

// A variable-length value through SQLGetData, in as many parts as it takes; false for a null.
bool ResultReader::getVariable(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType,
                               int terminator, QByteArray& out) {
    out.clear();
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(handle, column, cType, scratch_.data(),
                                        static_cast<SQLLEN>(scratch_.size()), &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        if (failed(rc))
            throwRead(handle);
        if (indicator == SQL_NULL_DATA)
            return false;
        const SQLLEN room = static_cast<SQLLEN>(scratch_.size()) - terminator;
        if (indicator != SQL_NO_TOTAL && indicator <= room) {
            out.append(scratch_.data(), indicator);
            return true;
        }
        out.append(scratch_.data(), room);
        if (rc == SQL_SUCCESS)
            return true;
        if (indicator != SQL_NO_TOTAL) {
            const std::size_t wanted = static_cast<std::size_t>(indicator - room + terminator);
            if (wanted > scratch_.size())
                scratch_.resize(std::min<std::size_t>(wanted, std::size_t(1) << 24));
        }
    }
}

void ResultReader::throwFetch(SQLHSTMT handle) const {
    throw makeError(SQL_HANDLE_STMT, handle, wideApi_, QStringLiteral("A instrução falhou"));
}

void ResultReader::throwRead(SQLHSTMT handle) const {
    throw makeError(SQL_HANDLE_STMT, handle, wideApi_,
                    QStringLiteral("Não foi possível ler uma coluna"));
}

}  // namespace agrimor::odbc
