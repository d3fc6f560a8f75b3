#include "data/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace agrimor {

namespace {

// "corvane" under `dir` when that folder exists; else empty.
QString corvaneUnder(const QString& dir) {
    const QString candidate = QDir(dir).filePath(QStringLiteral("corvane"));
    if (!QFileInfo(candidate).isDir())
        return {};
    return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
}

// The user's own data folder: XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
QString userDataHome() {
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    return QDir::home().filePath(QStringLiteral(".local/share"));
}

}  // namespace

QString findDataFolder(const QString& executableFolder) {
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.trimmed().isEmpty())
        dirs = QStringLiteral("/usr/local/share/:/usr/share/");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QString found = corvaneUnder(dir); !found.isEmpty())
            return found;
    }
    // The machine's folders come first, so a user's own folder never hides the department's
    // configuration; it serves where the machine has none (a demo seeded by a user).
    if (QString found = corvaneUnder(userDataHome()); !found.isEmpty())
        return found;
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
