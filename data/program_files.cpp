#include "data/program_files.h"

#include <QDir>
#include <QFileInfo>

namespace agrimor {

QString programFile(const QString& name) {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QDir executableFolder = QFileInfo(executable).dir();
    const QString beside = executableFolder.filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    // AGRIMOR_PRIVATE_DIR comes from the build, the same folder the package installs to.
    const QString installed = QDir::cleanPath(
        executableFolder.filePath(QStringLiteral("../" AGRIMOR_PRIVATE_DIR "/") + name));
    return QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace agrimor
