#pragma once

#include <QString>

#include "data/config_error.h"
#include "data/connection_settings.h"

namespace agrimor {

// The consolidated database as a configuration file names it. The format (documented in the
// README) is INI-like: [Database] Server, Database, User, Password; [Odbc] Driver, Port,
// TdsVersion, LoginTimeout, QueryTimeout. Values are taken verbatim after '=' (surrounding
// spaces removed), so a password may hold ';', '#' or '='. Lines starting with '#' or ';' are
// comments. Keys and sections ignore case.
struct ConfigFile {
    QString path;
    bool exists = false;
    ConnectionSettings settings;
};

// Reads a file; a file that does not exist gives exists = false and empty values. A file that
// exists but can not be read, or has a malformed line or number, throws ConfigError.
ConfigFile readConfigFile(const QString& path);

// The start-up rule: the configuration file, unless its server, database or user name is empty;
// then all four values (and the ODBC options) come from the fallback file. Throws ConfigError
// when neither gives a server, a database and a user name.
ConnectionSettings readConnectionConfig(const QString& configFile, const QString& fallbackFile);

}  // namespace agrimor
