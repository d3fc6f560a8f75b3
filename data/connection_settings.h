#pragma once

#include <QString>

namespace agrimor {

// How the ODBC engine reaches a server. Every value can be set in the configuration file.
struct OdbcOptions {
    QString driver = QStringLiteral("FreeTDS");
    int port = 1433;
    QString tdsVersion = QStringLiteral("7.4");
    int loginTimeoutSeconds = 5;
    int queryTimeoutSeconds = 60;
};

// The four values that name a database, as the configuration file and the connection-parameters
// table hold them, plus where relative SQLite files live and the ODBC options.
struct ConnectionSettings {
    QString server;
    QString database;
    QString user;
    QString password;
    QString dataFolder;
    OdbcOptions odbc;

    // Server text "sqlite" (any case): the database name is a SQLite file used directly.
    bool isEmbedded() const;
    // The SQLite file of an embedded database, or of an ODBC connection through a SQLite driver.
    QString sqliteFile() const;
    // True when the ODBC driver named is SQLite's (used by the tests of the ODBC path).
    bool odbcDriverIsSqlite() const;
    // DSN-less connection string for the ODBC engine. Values with ';', '{' or '}' are braced.
    QString odbcConnectionString(const QString& sqliteExtension = {}) const;
    // "server / database" as the messages show it.
    QString describe() const;
};

}  // namespace agrimor
