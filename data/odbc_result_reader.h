#pragma once

#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <vector>

#include "data/engine.h"

namespace agrimor::odbc {

// How one result column is bound for reading: its C type and the bytes one value takes.
struct ColumnBinding {
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN width = 0;

    bool operator==(const ColumnBinding&) const = default;
};

// The columns a statement handle has bound for reading. Kept with the statement, so a statement
// that runs again with the same result is not bound again.
struct ResultBinding {
    std::vector<ColumnBinding> columns;
    const char* buffers = nullptr;  // where they were bound
};

// Reads the results of one connection's statements. Where every column of a result has values of
// a bounded size, the columns are bound to column-wise arrays and the rows come a block at a time;
// a result with a long column (long text or binary, a (max) type, no size) is read a row at a time
// with SQLGetData. One set of block buffers serves every statement of the connection, as only one
// result is read at a time.
class ResultReader {
public:
    // `declaredSizesHold` says whether the server keeps every value within its column's declared
    // size. SQL Server does. SQLite keeps what it is given while its driver reports the declared
    // size, so a value can outgrow a buffer sized from it: there a result with a value of variable
    // length (text, an amount written as text, binary) is read one row per fetch, and a value
    // that did not fit is read again whole.
    ResultReader(bool wideApi, bool declaredSizesHold);

    // Describes the `columnCount` columns of the result `handle` is on, hands them to `sink`, then
    // every row in order. Returns false when the sink stopped the reading.
    bool read(SQLHSTMT handle, SQLSMALLINT columnCount, ResultBinding& binding, RowSink& sink);

    enum class Fetch { Integer, Real, Decimal, Text, DateTime, Binary };

    struct Column {
        ColumnInfo info;
        Fetch fetch = Fetch::Text;
        SQLULEN size = 0;       // as the driver describes it
        bool bindable = false;  // a type whose values have a bounded size, given `size`
        // Where the block buffers hold this column's values and indicators, while bound.
        const char* values = nullptr;
        const SQLLEN* indicators = nullptr;
        SQLLEN width = 0;
    };

private:
    void describe(SQLHSTMT handle, SQLSMALLINT columnCount);
    void bind(SQLHSTMT handle, ResultBinding& binding, const std::vector<ColumnBinding>& plan,
              SQLULEN rows);
    SQLULEN setRowsPerFetch(SQLHSTMT handle, SQLULEN rows);
    bool readBlocks(SQLHSTMT handle, SQLULEN rows, RowSink& sink);
    bool readRows(SQLHSTMT handle, ResultBinding& binding, RowSink& sink);
    void blockRow(SQLHSTMT handle, SQLULEN row, SQLULEN rows, std::vector<Value>& values);
    const QByteArray& whole(SQLHSTMT handle, std::size_t column, SQLULEN rows);
    void getRow(SQLHSTMT handle, std::vector<Value>& values);
    bool getVariable(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType, int terminator,
                     QByteArray& out);
    [[noreturn]] void throwFetch(SQLHSTMT handle) const;
    [[noreturn]] void throwRead(SQLHSTMT handle) const;

    bool wideApi_;
    bool declaredSizesHold_;
    std::vector<Column> columns_;
    std::vector<char> buffers_;  // the bound columns' values and indicators
    std::vector<SQLUSMALLINT> rowStatus_;
    SQLULEN rowsFetched_ = 0;
    std::vector<char> scratch_ = std::vector<char>(8192);
    QByteArray bytes_;
};

}  // namespace agrimor::odbc
