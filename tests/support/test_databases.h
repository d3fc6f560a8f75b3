#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "data/data_access.h"

namespace agrimor::test {

// The two ways the program reaches a database: SQLite directly, and the ODBC path that production
// uses against SQL Server, here through the SQLite ODBC driver.
enum class EngineKind { Sqlite, OdbcSqlite };

inline std::ostream& operator<<(std::ostream& out, EngineKind kind) {
    return out << (kind == EngineKind::Sqlite ? "Sqlite" : "OdbcSqlite");
}

// A folder removed with the test.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Connection settings for a SQLite file in `folder`, on the chosen engine.
ConnectionSettings settingsFor(EngineKind kind, const QString& folder, const QString& fileName);

// Creates an empty SQLite database file (with `script` run on it) and connects to it.
std::unique_ptr<DataAccess> createDatabase(EngineKind kind, const QString& folder,
                                           const QString& fileName, const QString& script = {});

// How many rows of `table` meet `where` (every row when it is empty).
int countRows(DataAccess& db, const QString& table, const QString& where = {},
              const Params& params = {});

// The MovCTB rows of a document type (and series, when one is given), ordered by document and
// line.
Recordset movementsOf(DataAccess& db, const QString& tpDoc, const QString& serie = {});

}  // namespace agrimor::test
