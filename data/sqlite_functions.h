#pragma once

struct sqlite3;

namespace agrimor {

// The SQL Server functions and comparison rules that the program's statements rely on, added to a
// SQLite connection: month(date), year(date), and the collation ci_rtrim (case-insensitive,
// trailing spaces ignored) that the text columns of our schemas declare. The same code is built as
// a loadable extension for connections the SQLite ODBC driver opens. Returns a SQLite result code.
int registerSqlServerFunctions(sqlite3* db);

}  // namespace agrimor
