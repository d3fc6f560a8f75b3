#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "engine.h"
#include "value.h"

namespace agrimor {

// What differs between the database products: how a date is handed over, how a row that was read
// is found again for a change, and the schema statements. The rest of the program writes one SQL
// text that both products accept.
class Dialect {
public:
    virtual ~Dialect() = default;

    virtual QString name() const = 0;

    // The text a date-time is bound as. Both forms are read the same by their product whatever
    // the session's language or date format.
    virtual QString dateTimeText(const QDateTime& value) const = 0;

    // A condition that the date-time `column` holds the one bound date-time. SQLite keeps
    // dates as text, and other programs write them in other forms ("2024-03-15",
    // "2024-03-15T00:00:00", with fractions): there both sides are compared as date-times.
    virtual QString dateEquals(const QString& column) const = 0;
    // An ORDER BY term that puts the date-time `column` in time order. On SQLite the stored
    // forms differ in their text ("2024-03-15" sorts before "2024-03-15 00:00:00", and
    // "2024-03-15 13:00:00" before "2024-03-15T08:00:00"), so a plain ORDER BY would break
    // ties on one day by the writer's form instead of by the terms that follow.
    virtual QString dateOrder(const QString& column) const = 0;

    // The statement that reads the rows of an updatable result set. When the product has a row
    // locator it is selected first, under the name kLocatorColumn. The three statement builders
    // are virtual only so that a dialect standing in for another can pass them through whole.
    virtual QString updatableSelect(const QString& table, const QString& where,
                                    const QString& orderBy) const;
    virtual bool hasRowLocator() const = 0;
    // UPDATE / DELETE of exactly one row, the one read as `original` (values per column).
    // `setColumns` are the columns changed; their values come first in the bound parameters,
    // then whatever the row filter needs.
    virtual QString updateRow(const QString& table, const QStringList& setColumns,
                              const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                              const Value& locator, Params& params) const;
    virtual QString deleteRow(const QString& table, const QList<ColumnInfo>& columns,
                              const std::vector<Value>& original, const Value& locator,
                              Params& params) const;

    // Schema of the program's own tables, in creation order: rates, settings, parameters.
    virtual QStringList createOwnTables() const = 0;
    // The run log zeb_CNS_Registo, created on its own on a database that lacks it.
    virtual QString createRunLog() const = 0;
    // The data type name of a column of a table, empty when the table has no such column.
    virtual QString columnTypeQuery() const = 0;  // parameters: table, column; result `TipoDado`
    // The columns of a table as the catalogue describes them, in table order: `Coluna`, `TipoDado`
    // (the type name without its size, in lower case) and `Tamanho` (the declared size of a text
    // column, -1 for one without limit, 0 for other types). Parameter: the table. No rows when
    // there is no such table.
    virtual QString columnsQuery() const = 0;
    // Statements that add nullable columns ("name type" each) to a table.
    virtual QStringList addColumns(const QString& table, const QStringList& definitions) const = 0;
    // Makes the columns of a table nvarchar(size) not null, keeping the rows; fails as the
    // product does when a column holds a null.
    virtual void retypeToText(Engine& engine, const QString& table, const QStringList& columns,
                              int size) const = 0;

    static constexpr const char* kLocatorColumn = "agrimor_row_locator";

protected:
    // What an updatable result set selects: the locator (when there is one) and every column.
    virtual QString updatableColumns() const = 0;
    // The start of the statements that change or delete one row ("UPDATE t", "DELETE FROM t").
    virtual QString updateOne(const QString& table) const = 0;
    virtual QString deleteOne(const QString& table) const = 0;
    // The WHERE condition that finds the row read as `original`; adds what it binds to `params`.
    virtual QString rowFilter(const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                              const Value& locator, Params& params) const = 0;
};

std::unique_ptr<Dialect> makeSqliteDialect();
std::unique_ptr<Dialect> makeSqlServerDialect();

// Builds " AND "-joined equality tests on the comparable columns of a row, null-aware.
QString matchAllColumns(const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                        Params& params);

}  // namespace agrimor
