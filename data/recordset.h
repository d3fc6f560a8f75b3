#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstring>
#include <memory>
#include <vector>

#include "engine.h"
#include "value.h"

namespace agrimor {

// A client-side snapshot of a query's rows: exact row count at once, moves in both directions,
// fields by name (any case) or position. It stays usable after its connection is closed.
// A fresh result set stands on its first row (or at the end when it has none).
class Recordset {
public:
    Recordset() = default;
    explicit Recordset(RowSet rows);
    virtual ~Recordset() = default;
    // A copy holds the values of a row being bound, settled first.
    Recordset(const Recordset& other);
    Recordset& operator=(const Recordset& other);
    Recordset(Recordset&&) = default;
    Recordset& operator=(Recordset&&) = default;

    int rowCount() const { return static_cast<int>(set_.rows.size()); }
    bool isEmpty() const { return set_.rows.empty(); }
    bool eof() const { return row_ >= rowCount(); }
    bool bof() const { return row_ < 0; }
    int position() const { return row_; }

    void moveFirst() { row_ = 0; }
    void moveLast() { row_ = rowCount() - 1; }
    void moveNext();
    void movePrevious();
    void moveTo(int row);

    int columnCount() const { return static_cast<int>(set_.columns.size()); }
    const QList<ColumnInfo>& columns() const { return set_.columns; }
    QString columnName(int index) const { return set_.columns.at(index).name; }
    // -1 when there is no such column.
    int columnIndex(const QString& name) const;

    // Fields of the current row. An unknown name throws DbError (invalid column); reading past
    // either end throws too.
    const Value& field(const QString& name) const;
    const Value& field(int index) const;
    bool isNull(const QString& name) const { return field(name).isNull(); }

protected:
    // The position of a column by name; an unknown name throws DbError (invalid column).
    int requireColumn(const QString& name) const {
        // Rows are mostly filled column after column: the one after the last found comes first
        // (the first after the last). The name a column was last found by is held, so it is
        // neither changed nor freed while held: the same text again is known by its address.
        const int guess = nextGuess_ < columnCount() ? nextGuess_ : 0;
        if (guess < columnCount()) {
            const QString& given = givenNames_[static_cast<std::size_t>(guess)];
            if (given.constData() == name.constData() && given.size() == name.size() &&
                !given.isEmpty()) {
                nextGuess_ = guess + 1;
                return guess;
            }
            const QString& column = set_.columns[guess].name;
            if (column.size() == name.size() &&
                std::memcmp(column.constData(), name.constData(),
                            static_cast<std::size_t>(name.size()) * sizeof(QChar)) == 0) {
                givenNames_[static_cast<std::size_t>(guess)] = name;
                nextGuess_ = guess + 1;
                return guess;
            }
        }
        // The first column, which a row's filling starts again from.
        if (guess != 0 && givenNames_.front().constData() == name.constData() &&
            givenNames_.front().size() == name.size() && !name.isEmpty()) {
            nextGuess_ = 1;
            return 0;
        }
        return findColumn(name);
    }
    void requireRow() const;
    std::vector<Value>& currentRow();
    const std::vector<Value>& currentRow() const;
    // Puts into the row being bound (boundRow_) the values it holds elsewhere.
    virtual void settleBoundRow() const {}

    RowSet set_;
    int row_ = 0;
    // A row whose values go straight to an engine's INSERT as they are given
    // (UpdatableRecordset); whatever reads it first settles it. -1 for none.
    mutable int boundRow_ = -1;

private:
    int findColumn(const QString& name) const;

    mutable int nextGuess_ = 0;                // callers mostly walk the columns in order
    mutable std::vector<QString> givenNames_;  // per column: the name it was last found by
    QHash<QString, int> exactIndex_;           // name as the query gave it -> position
    QHash<QString, int> index_;                // upper-case name -> position
};

// A snapshot of one table's rows that can add, change and delete rows. Changes are written when
// update() is called: a new row sets only the columns given (the others keep their defaults); a
// changed row writes only the columns changed and touches exactly the row that was read, also in
// tables without a key. A row added and saved leaves the result set (which keeps the rows that
// were read), so appending many rows costs no memory; reopen the set to see it.
class UpdatableRecordset : public Recordset {
public:
    UpdatableRecordset(std::shared_ptr<Engine> engine, QString table, RowSet rows,
                       std::vector<Value> locators);

    const QString& table() const { return table_; }

    // Appends an empty row and makes it current; nothing is written before update().
    void addNew();
    void setField(const QString& name, const Value& value) { setField(requireColumn(name), value); }
    // The field at a position of columns(); one outside them throws DbError (invalid column).
    void setField(int column, const Value& value) {
        // A row being added or changed, the column within the row: what rows filled in bulk take.
        if (static_cast<std::size_t>(row_) < states_.size() &&
            static_cast<std::size_t>(column) < static_cast<std::size_t>(columnCount())) {
            if (row_ == boundRow_) {
                if (const int parameter = parameterOf_[static_cast<std::size_t>(column)];
                    parameter >= 0) {
                    bound_->bind(parameter, value);
                    markGiven(column);
                    return;
                }
                settleAndSet(column, value);  // a column the bound INSERT does not name
                return;
            }
            RowState& state = states_[static_cast<std::size_t>(row_)];
            if (state.state != State::Clean) {
                set_.rows[static_cast<std::size_t>(row_)][static_cast<std::size_t>(column)] = value;
                state.changed[static_cast<std::size_t>(column)] = 1;
                return;
            }
        }
        setFieldOfCleanRow(column, value);
    }
    // The same with a text, which need not outlive the call: setField(column, text.toString())
    // without the QString where the row's values go straight to the engine.
    void setText(int column, QStringView text) {
        if (const int parameter = boundParameter(column);
            parameter >= 0 && bound_->bindText(parameter, text)) {
            markGiven(column);
            return;
        }
        setField(column, text.toString());
    }
    // The same with a QString, which the row shares where it holds it.
    void setText(int column, const QString& text) {
        if (const int parameter = boundParameter(column);
            parameter >= 0 && bound_->bindText(parameter, text)) {
            markGiven(column);
            return;
        }
        setField(column, Value(text));
    }
    // The same with a text given as valid UTF-8.
    void setUtf8(int column, QByteArrayView utf8) {
        if (const int parameter = boundParameter(column); parameter >= 0) {
            bound_->bindUtf8(parameter, utf8);
            markGiven(column);
            return;
        }
        setField(column, QString::fromUtf8(utf8));
    }
    // Writes the current row's pending changes. Nothing pending: nothing is sent.
    void update();
    // Deletes the current row from the table and from the set; the next row becomes current.
    void deleteCurrent();

private:
    enum class State { Clean, Editing, Adding };
    struct RowState {
        State state = State::Clean;
        std::vector<char> changed;  // per column: given a value since the row was read or added
    };

    RowState& rowState();
    // The parameter of the bound INSERT a column of the current row goes to: -1 when the row is
    // not being bound or the INSERT does not name the column.
    int boundParameter(int column) const {
        return boundRow_ >= 0 && row_ == boundRow_ &&
                       static_cast<std::size_t>(column) < parameterOf_.size()
                   ? parameterOf_[static_cast<std::size_t>(column)]
                   : -1;
    }
    void markGiven(int column) {
        states_[static_cast<std::size_t>(row_)].changed[static_cast<std::size_t>(column)] = 1;
    }
    void setFieldOfCleanRow(int column, const Value& value);
    void settleAndSet(int column, const Value& value);
    void settleBoundRow() const override;
    void startBoundRow();
    void insertCurrent(const std::vector<char>& given);
    void dropCurrentRow();

    std::shared_ptr<Engine> engine_;
    QString table_;
    std::vector<Value> locators_;
    std::vector<RowState> states_;
    std::vector<std::vector<Value>> originals_;  // values as read, for rows being edited
    // The INSERT of the last set of columns given: appending rows reuses it without rebuilding.
    std::vector<char> lastInsertColumns_;
    QString lastInsertSql_;
    // What the last row added and written left behind, reused by the next one: appending rows
    // allocates nothing per row.
    std::vector<Value> spareRow_;
    std::vector<char> spareChanged_;
    // Where the engine has one, the rows added after the first with the same columns as the last
    // INSERT are bound straight into a BoundInsert of it as their fields are set: their values
    // are then held by the insert alone (the row's fields stay null until the row is settled).
    std::unique_ptr<BoundInsert> bound_;
    std::vector<int> parameterOf_;  // per column: its parameter in that INSERT, or -1
    int boundMisses_ = 0;           // rows bound that then took other columns
    bool spareIsNull_ = false;      // spareRow_ holds only nulls (its row was bound)
};

}  // namespace agrimor
