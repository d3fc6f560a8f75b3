#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "core/column_store.h"
#include "data/value.h"
#include "data/value_error.h"

namespace agrimor {

// The type of a column of an in-memory table. Every column accepts null.
enum class ColumnType {
    Int16,     // whole number -32768..32767
    Int32,     // whole number -2147483648..2147483647
    Text,      // text of at most `width` characters
    Currency,  // Money: four decimals
    Date,      // a date (Value date-time at midnight)
};

struct ColumnDef {
    QString name;
    ColumnType type = ColumnType::Text;
    int width = 0;  // Text only
};

// A table with no database behind it: typed columns, rows in insertion order and sorting. It is
// the model the grids bind to; the services walk the same rows through row() and value(), in the
// current sort order. The cells are kept by column in the form of their type (ColumnStore), a
// row of a movement sheet in little over a hundred bytes: value() builds the Value it returns.
//
// Stored values are checked against their column: a value that does not fit (text too long, a
// number out of range, text that is not a number) is refused with ValueError, as the tables the
// services expect never hold anything else.
class MemoryTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemoryTable(std::vector<ColumnDef> columns, QObject* parent = nullptr);

    // While one lives, rows are appended and set without a signal per row and cell; views see
    // one model reset when it ends. For filling a table from a whole sheet.
    class BulkLoad {
    public:
        explicit BulkLoad(MemoryTable& table);
        ~BulkLoad();
        BulkLoad(const BulkLoad&) = delete;
        BulkLoad& operator=(const BulkLoad&) = delete;

    private:
        MemoryTable& table_;
    };

    const std::vector<ColumnDef>& columns() const { return columns_; }
    // -1 for an unknown name; names compare ignoring case.
    int columnIndex(const QString& name) const;

    // Appends a row of nulls and returns its position.
    int appendRow();
    // Checks `value` against the column (see ColumnType) and stores it, converted: a whole
    // number for Int16 and Int32, Money for Currency, a naive date-time for Date, text for Text.
    void setValue(int row, int column, const Value& value);
    Value value(int row, int column) const;
    // The cell as text (value(row, column).toText()) without a copy where it can be (see
    // ColumnStore::cellText). Valid until the table or `scratch` changes.
    ColumnStore::CellText cellText(int row, int column, QString& scratch) const {
        // The rows in stored order, as a table mostly has them: no call to find the row.
        const std::size_t at = order_.empty() && static_cast<std::size_t>(row) < rowsStored_
                                   ? static_cast<std::size_t>(row)
                                   : stored(row);
        return cells_.at(static_cast<std::size_t>(column)).cellText(at, scratch);
    }
    Value value(int row, const QString& column) const;
    int size() const { return static_cast<int>(rowsStored_); }
    void clear();
    // The bytes the cells take (capacity included), for the benchmarks.
    std::size_t bytes() const;

    // The number a row had where it came from (the sheet row a reader took it from), shown as the
    // row's heading; 0 when unknown, and the heading is then the row's position. It stays with
    // the row through sorting.
    void setSourceRow(int row, int number);
    int sourceRow(int row) const;

    // Puts the rows in the order given by their positions now: `positions[i]` is the row that
    // comes i-th. A permutation of 0..size()-1; the sort order of a load, for instance.
    void arrange(const std::vector<int>& positions);

    // Stable sort of the rows by one column; nulls first in ascending order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Headings shown by a view; the column names by default.
    void setCaption(int column, const QString& caption);
    // Display format of a Currency column: the number of decimals and thousands grouping.
    void setDisplayDecimals(int column, int decimals);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setEditable(bool editable) { editable_ = editable; }

    // The value of a cell as a grid shows it.
    QString displayText(int row, int column) const;

private:
    Value checked(int column, const Value& value) const;

    std::vector<ColumnDef> columns_;
    std::size_t stored(int row) const;
    int sourceOffsetOf(std::size_t at) const;
    void materializeOrder();

    std::vector<ColumnStore> cells_;  // by column
    std::size_t rowsStored_ = 0;
    // The source rows by stored row; while empty, the first sourceNumbered_ rows have
    // sourceOffset_ + their place and the others 0.
    std::vector<int> sourceRows_;
    std::int64_t sourceOffset_ = 0;
    std::size_t sourceNumbered_ = 0;
    std::vector<int> order_;  // the stored rows in sort order; empty while that is stored order
    std::vector<QString> captions_;
    std::vector<int> decimals_;
    bool editable_ = false;
    bool loading_ = false;
};

}  // namespace agrimor
