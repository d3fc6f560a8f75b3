#include "data/program_files.h"

#include <QDir>
#include <QFileInfo>

namespace agrimor {

QString programFile(const QString& name) {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return programFile(name, QFileInfo(executable).path());
}

QString programFile(const QString& name, const QString& executableFolder) {
    const QString beside = QDir(executableFolder).filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    // AGRIMOR_PRIVATE_DIR is the install folder of these files relative to the prefix
    // (CMakeLists.txt), the same that the package installs them to.
    const QString installed =
        QDir::cleanPath(QDir(executableFolder)
                            .filePath(QStringLiteral("../") + QStringLiteral(AGRIMOR_PRIVATE_DIR) +
                                      QLatin1Char('/') + name));
    return QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace agrimor
