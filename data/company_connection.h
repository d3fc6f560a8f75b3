#pragma once

#include <QString>
#include <memory>

#include "data/connection_settings.h"

namespace agrimor {

class DataAccess;

// Width of the four text columns of zeb_CNS_Parametros; longer values do not fit the server's
// table, so the screen takes no more than this.
inline constexpr int kCompanyParameterLength = 30;

// How one company database is reached: its row of zeb_CNS_Parametros in the consolidated
// database, keyed by the company number (BD).
struct CompanyParameters {
    QString server;      // Servidor: "sqlite" (any case) for an embedded file, else a SQL Server
    QString user;        // Utilizador
    QString password;    // Password, as typed
    QString database;    // Empresa: the database name, or the SQLite file
    bool found = false;  // a row exists for the number

    bool isEmpty() const {
        return server.isEmpty() && user.isEmpty() && password.isEmpty() && database.isEmpty();
    }
};

// The parameters of company `bd` from the shared (consolidated) database. The table has no key:
// when several rows share the number, the first one the query returns is taken, the same row
// storeCompanyParameters() changes. A null column reads as empty text. No row: four empty texts
// and found = false. A failure of the shared database throws DbError.
CompanyParameters readCompanyParameters(DataAccess& shared, int bd);

// The settings that reach the company database: its four values, with the data folder (relative
// SQLite files) and the ODBC options (driver, port, login and query timeouts) of the shared
// connection, so the configuration file's timeouts apply to every company too.
ConnectionSettings companySettings(const DataAccess& shared, const CompanyParameters& parameters);

// A new data-access object connected to the company database. Throws DbError when it can not be
// reached; a SQLite file that does not exist is such a failure and is not created.
std::unique_ptr<DataAccess> openCompanyDatabase(const DataAccess& shared,
                                                const CompanyParameters& parameters);

// Connects to the company database and lets it go again. Throws DbError on failure.
void testCompanyConnection(const DataAccess& shared, const CompanyParameters& parameters);

// Stores the four values as the row of company `bd`: the first row with that number is changed
// (others sharing it are left alone), or a row is added when there is none. One transaction on
// the shared database; on failure (DbError) the table is left as it was.
void storeCompanyParameters(DataAccess& shared, int bd, const CompanyParameters& parameters);

}  // namespace agrimor
