#include "consolidation/print_file.h"

#include <QProcess>

namespace agrimor {

PrintOutcome printTextFile(const QString& file, const PrintCommand& command) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.program, command.arguments + QStringList{file});
    if (!process.waitForStarted(command.timeoutMs))
        return {false, QStringLiteral("O comando %1 não pôde ser executado (%2).")
                           .arg(command.program, process.errorString())};
    if (!process.waitForFinished(command.timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {false, QStringLiteral("O comando %1 não respondeu.").arg(command.program)};
    }
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {false, output.isEmpty() ? QStringLiteral("O comando %1 terminou com o código %2.")
                                              .arg(command.program)
                                              .arg(process.exitCode())
                                        : output};
    return {true, {}};
}

}  // namespace agrimor
