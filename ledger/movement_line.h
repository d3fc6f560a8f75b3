#pragma once

#include <QList>
#include <QString>
#include <chrono>
#include <cstddef>
#include <string_view>
#include <vector>

#include "data/recordset.h"
#include "data/value.h"
#include "ledger/erp_tables.h"

namespace agrimor {

class DataAccess;

// What a MovCTB column is to the jobs that write movement lines. The jobs decide the columns of
// a role other than Copy (each job only those its lines need; the rest it copies from the line it
// derives from); the row version is the database's own.
enum class MovementRole {
    Copy,
    Account,         // Conta
    DocumentType,    // TpDoc
    DocumentNumber,  // NumDoc
    Series,          // Serie
    Journal,         // Diario
    JournalNumber,   // NumDiari
    Line,            // NumLinha
    Reference,       // Ref
    Amount,          // Valor
    Side,            // DbCr
    ThirdPartyKind,  // TpTerc
    MvDes,           // MvDes
    Skip,            // DBTS: never written
};

namespace movctb {

inline constexpr std::size_t kColumnCount = std::size(erp::kMovCtbColumns);

// The position of a column in MovCTB's description. Evaluated while compiling where it makes a
// constant, so a name the description does not hold does not build.
constexpr int column(std::string_view name) {
    for (std::size_t c = 0; c < kColumnCount; ++c)
        if (erp::kMovCtbColumns[c].name == name)
            return static_cast<int>(c);
    throw "MovCTB's description has no such column";
}

// The one list of the column roles.
struct ColumnRole {
    int column;
    MovementRole role;
};
inline constexpr ColumnRole kRoles[] = {
    {column("Conta"), MovementRole::Account},
    {column("TpDoc"), MovementRole::DocumentType},
    {column("NumDoc"), MovementRole::DocumentNumber},
    {column("Serie"), MovementRole::Series},
    {column("Diario"), MovementRole::Journal},
    {column("NumDiari"), MovementRole::JournalNumber},
    {column("NumLinha"), MovementRole::Line},
    {column("Ref"), MovementRole::Reference},
    {column("Valor"), MovementRole::Amount},
    {column("DbCr"), MovementRole::Side},
    {column("TpTerc"), MovementRole::ThirdPartyKind},
    {column("MvDes"), MovementRole::MvDes},
    {column("DBTS"), MovementRole::Skip},
};

constexpr MovementRole roleOf(int column) {
    for (const ColumnRole& role : kRoles)
        if (role.column == column)
            return role.role;
    return MovementRole::Copy;
}

}  // namespace movctb

// The role of a column named as a database gives it (any case). A column the description does
// not hold (a server's own addition) is copied.
MovementRole movementRole(const QString& column);

// The line being written: a value for each column of the table as the writer found it, or none.
// A column given no value is left out of the INSERT and keeps the database's default, which a
// null value does not. The values go straight into the writer's pending row (on SQLite bound
// into its INSERT as they are set).
class MovementLine {
public:
    explicit MovementLine(UpdatableRecordset& table) : table_(table) {}

    void set(int column, const Value& value) { table_.setField(column, value); }
    // A text value, which need not outlive the call.
    void setText(int column, QStringView text) { table_.setText(column, text); }
    void setText(int column, const QString& text) { table_.setText(column, text); }
    void setUtf8(int column, QByteArrayView utf8) { table_.setUtf8(column, utf8); }

private:
    UpdatableRecordset& table_;
};

// The one writer of MovCTB lines: one updatable result set on the table for the whole job, the
// INSERT built once per set of columns given, the rows batched as the engine does (array-bound
// inside a transaction on the ODBC path). A line's columns are the table's, in its order, as
// columns() gives them. A job ends its lines with finish().
class MovementWriter {
public:
    explicit MovementWriter(DataAccess& company);

    // The time every writer of the process spends writing lines, from newLine() to write() and in
    // finish(): what the benchmarks compare with a bare INSERT of the same rows. Kept only while
    // asked for; starts from zero.
    static void keepWritingTime(bool keep) {
        keepTime_ = keep;
        spent_ = {};
    }
    static double writingSeconds() { return std::chrono::duration<double>(spent_).count(); }

    const QList<ColumnInfo>& columns() const { return table_.columns(); }
    MovementRole role(int column) const { return roles_[static_cast<std::size_t>(column)]; }
    // The position of a column named in any case; -1 when the table has none.
    int column(const QString& name) const { return table_.columnIndex(name); }
    // The refusal of a value for a column the table does not have.
    [[noreturn]] static void noSuchColumn(const QString& name);

    // A new line with no column given, to fill and write().
    MovementLine& newLine() {
        if (keepTime_)
            started_ = Clock::now();
        table_.addNew();
        return line_;
    }
    // Writes the line newLine() gave, with the columns given a value.
    void write() {
        table_.update();
        if (keepTime_)
            spent_ += Clock::now() - started_;
    }
    // Sends the lines an engine holds back for a batch, so that their failure is reported here.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    static inline bool keepTime_ = false;
    static inline Clock::duration spent_{};
    Clock::time_point started_;

    DataAccess& company_;
    UpdatableRecordset table_;
    std::vector<MovementRole> roles_;
    MovementLine line_{table_};
};

}  // namespace agrimor
