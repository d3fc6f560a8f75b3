// Entry point of the loadable form of the SQLite functions (see sqlite_functions.h).
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "data/sqlite_functions.h"

extern "C" __attribute__((visibility("default"))) int sqlite3_agrimorsqliteext_init(
    sqlite3* db, char** /*error*/, const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    return agrimor::registerSqlServerFunctions(db);
}

extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(
    sqlite3* db, char** error, const sqlite3_api_routines* api) {
    return sqlite3_agrimorsqliteext_init(db, error, api);
}
