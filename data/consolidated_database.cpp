#include "data/consolidated_database.h"

#include "data/config_file.h"
#include "data/db_error.h"
#include "data/own_tables.h"

namespace agrimor {

std::unique_ptr<DataAccess> openConsolidatedDatabase(const StartupFiles& files,
                                                     OwnTables ownTables) {
    ConnectionSettings settings;
    try {
        settings = readConnectionConfig(files.configFile, files.fallbackFile);
    } catch (const ConfigError& error) {
        throw StartupError(error.message());
    }
    settings.dataFolder = files.dataFolder;

    auto db = std::make_unique<DataAccess>();
    try {
        db->connect(settings);
    } catch (const DbError& error) {
        throw StartupError(
            QStringLiteral("Não foi possível ligar à base de dados consolidada (%1).\n%2")
                .arg(settings.describe(), error.message()));
    }
    if (ownTables == OwnTables::LeaveAsTheyAre)
        return db;
    try {
        ensureOwnTables(*db);
    } catch (const DbError& error) {
        throw StartupError(
            QStringLiteral("Não foi possível atualizar as tabelas do programa na base de dados "
                           "consolidada (%1).\n%2")
                .arg(settings.describe(), error.message()));
    }
    return db;
}

}  // namespace agrimor
