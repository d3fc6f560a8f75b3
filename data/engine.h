#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
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

// Receives the rows of a query one at a time, as they are read, so a large result never has to
// be held whole. The sink must not use the engine that feeds it until the query has ended.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Once, before the first row.
    virtual void columns(const QList<ColumnInfo>& columns) = 0;
    // One row, in query order; its values may be moved from. Returning false stops the reading
    // (the rest of the result is discarded).
    virtual bool row(std::vector<Value>& values) = 0;
};

// A sink that hands every row to a function and reads the result to its end.
class EachRow : public RowSink {
public:
    explicit EachRow(std::function<void(std::vector<Value>&)> take) : take_(std::move(take)) {}
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>& values) override {
        take_(values);
        return true;
    }

private:
    std::function<void(std::vector<Value>&)> take_;
};

// An INSERT prepared for one caller alone, its values bound one at a time as a row is filled and
// then run: how an engine that sends each row before returning appends rows without a Value held
// per cell. A value is kept by the insert as it is bound (a text as the engine stores it), so what
// it was read from may go at once. It must not outlive its engine.
class BoundInsert {
public:
    virtual ~BoundInsert() = default;
    // Starts a row: what was bound for the last one may be overwritten from here on.
    virtual void startRow() = 0;
    // Binds parameter `index` (from 0).
    virtual void bind(int index, const Value& value) = 0;
    // Binds a text; false, binding nothing, for one this way does not take (bind it as a Value).
    virtual bool bindText(int index, QStringView text) = 0;
    // Binds a text given as valid UTF-8.
    virtual void bindUtf8(int index, QByteArrayView utf8) = 0;
    // The value bound last to `index` in this row, equal to the one given.
    virtual Value value(int index) const = 0;
    // Runs the INSERT with the values bound since startRow(): every parameter must have one.
    virtual void run() = 0;
};

// One database engine behind the data-access component. Statements use `?` placeholders; values
// are always bound, never pasted into the text. Every method that reaches the database counts one
// round trip. All failures are thrown as DbError.
class Engine {
public:
    virtual ~Engine() = default;

    virtual const Dialect& dialect() const = 0;
    // Runs a statement that returns rows and reads them all (through queryEach).
    RowSet query(const QString& sql, const Params& params);
    // Runs a statement that returns rows and hands them to `sink` as they are read; an exception
    // thrown by the sink ends the query and passes through.
    virtual void queryEach(const QString& sql, const Params& params, RowSink& sink) = 0;
    // Runs a statement that returns no rows; the result is the number of rows it touched.
    virtual std::int64_t execute(const QString& sql, const Params& params) = 0;
    // Inserts one row. Inside a transaction an engine may hold rows of the same statement back
    // and send them together (array binding); anything else run on the engine, and the commit,
    // sends them first, so a failure surfaces at the latest there and always inside the
    // transaction that held the insert; a rollback discards them. Outside a transaction the row
    // is sent at once and its failure is thrown by this call.
    virtual void insert(const QString& sql, const Params& row) = 0;
    // The same with the values of `row` whose flag in `given` is set, in order: the columns the
    // statement names. The values may be moved from. By default they are gathered for insert(); an
    // engine that sends the row before returning binds them where they are.
    virtual void insertGiven(const QString& sql, std::vector<Value>& row,
                             const std::vector<char>& given);
    // A BoundInsert of `sql` (an INSERT), counting a round trip per row run; none (the default)
    // when the engine holds rows back or has no such binding.
    virtual std::unique_ptr<BoundInsert> prepareBoundInsert(const QString& sql);
    // Sends any rows held back by insert(), so their failure is reported here.
    virtual void flush() = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    virtual std::int64_t roundTrips() const = 0;
};

}  // namespace agrimor
