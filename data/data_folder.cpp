#include "data/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace agrimor {

QString findDataFolder(const QString& executableFolder) {
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.trimmed().isEmpty())
        dirs = QStringLiteral("/usr/local/share/:/usr/share/");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString candidate = QDir(dir).filePath(QStringLiteral("corvane"));
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return QDir::cleanPath(executableFolder);
}

StartupFiles locateStartupFiles(const QString& executableFolder) {
    StartupFiles files;
    files.dataFolder = findDataFolder(executableFolder);
    files.configFile = QDir(files.dataFolder).filePath(QStringLiteral("Agrimor.zeb"));
    files.fallbackFile = QDir(executableFolder).filePath(QStringLiteral("Catalogos/bd.sql"));
    return files;
}

}  // namespace agrimor
