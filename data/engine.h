#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "value.h"

namespace agrimor {

class Dialect;

// What a result column is, as far as the program cares. `comparable` is false for columns that
// cannot appear in a WHERE equality (binary, long text), so rows are located without them.
struct ColumnInfo {
    QString name;
    Value::Kind kind = Value::Kind::Text;
    bool comparable = true;
};

// A fully read result: the client-side snapshot behind every result set.
struct RowSet {
    QList<ColumnInfo> columns;
    std::vector<std::vector<Value>> rows;
};

// One database engine behind the data-access component. Statements use `?` placeholders; values
// are always bound, never pasted into the text. Every method that reaches the database counts one
// round trip. All failures are thrown as DbError.
class Engine {
public:
    virtual ~Engine() = default;

    virtual const Dialect& dialect() const = 0;
    // Runs a statement that returns rows and reads them all.
    virtual RowSet query(const QString& sql, const Params& params) = 0;
    // Runs a statement that returns no rows; the result is the number of rows it touched.
    virtual std::int64_t execute(const QString& sql, const Params& params) = 0;
    // Inserts one row. An engine may hold rows of the same statement back and send them together
    // (array binding); anything else run on the engine sends them first, so a failure surfaces at
    // the latest there, and always inside the transaction that held the insert.
    virtual void insert(const QString& sql, const Params& row) = 0;
    // Sends any rows held back by insert().
    virtual void flush() = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    virtual std::int64_t roundTrips() const = 0;
};

}  // namespace agrimor
