#pragma once

#include <QString>

namespace agrimor {

// Where the configuration file and the anomalies files live: the first of the platform's shared
// data folders (XDG_DATA_DIRS, default /usr/local/share and /usr/share) that holds a "corvane"
// folder, that folder; else "corvane" in the user's own data folder (XDG_DATA_HOME, default
// ~/.local/share) when it exists; otherwise the executable's folder. No trailing separator.
QString findDataFolder(const QString& executableFolder);

// The files start-up reads.
struct StartupFiles {
    QString dataFolder;
    QString configFile;    // data folder + "/Agrimor.zeb"
    QString fallbackFile;  // executable folder + "/Catalogos/bd.sql"
};

StartupFiles locateStartupFiles(const QString& executableFolder);

}  // namespace agrimor
