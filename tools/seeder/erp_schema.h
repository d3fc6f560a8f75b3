#pragma once

#include <QStringList>

namespace agrimor {

class DataAccess;
class Engine;

// The ERP tables (ledger/erp_tables.h) as an embedded (SQLite) company database holds them: the
// demo, the tests and the benchmarks build their company databases and the consolidated database
// with these. The program itself never creates them: on SQL Server the ERP owns its schema.
//
// Types are declared as the server declares them, so the embedded engine reads each column back
// as the same kind of value. Every text column compares with ci_rtrim, like the server's default
// collation (case-insensitive, trailing spaces ignored); dates are held as 'yyyy-mm-dd hh:mm:ss'
// text, amounts as numbers. MovCTB's DBTS, the server's row version, is a column nobody writes.

// The CREATE TABLE and CREATE INDEX statements, in creation order.
QStringList erpSchemaStatements();

// Creates every ERP table on an empty embedded database. Fails (DbError) when one exists.
void createErpTables(Engine& engine);
void createErpTables(DataAccess& db);

}  // namespace agrimor
