#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace agrimor {

class DataAccess;
class Engine;

// The ERP tables that the program reads and writes, as an embedded (SQLite) company database
// holds them: the demo, the tests and the benchmarks build their company databases and the
// consolidated database with these. On SQL Server the ERP owns its schema; nothing here is sent
// there.
//
// Types are declared as the server declares them (smallint, int, nvarchar(n), money, datetime),
// so the embedded engine reads each column back as the same kind of value. Every text column
// compares with ci_rtrim, like the server's default collation (case-insensitive, trailing spaces
// ignored); dates are held as 'yyyy-mm-dd hh:mm:ss' text, amounts as numbers. MovCTB's DBTS is
// the server's row version: here a column that nobody writes.

// The CREATE TABLE and CREATE INDEX statements, in creation order.
QStringList erpSchemaStatements();

// Creates every ERP table on an empty embedded database. Fails (DbError) when one exists.
void createErpTables(Engine& engine);
void createErpTables(DataAccess& db);

// MovCTB's columns in table order, DBTS included.
const QStringList& movCtbColumns();

// A column as the server declares it: "smallint", "int", "nvarchar(15)", "money", "datetime",
// "timestamp" (the row version).
struct ColumnLayout {
    QString name;
    QString type;
};

struct TableLayout {
    QString name;
    QList<ColumnLayout> columns;
};

// Every ERP table the program reads or writes, with its columns: what a server must hold.
const QList<TableLayout>& erpTablesLayout();

}  // namespace agrimor
