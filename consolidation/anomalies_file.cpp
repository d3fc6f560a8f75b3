#include "consolidation/anomalies_file.h"

#include "consolidation/consolidation_error.h"
#include "consolidation/processing_input.h"
#include "core/anomaly_list.h"

namespace agrimor {

namespace {

constexpr int kPrintZone = 14;

}  // namespace

QString anomaliesFileName(const QString& dataFolder, const QDateTime& startedAt) {
    return dataFolder + QStringLiteral("/Anomalias_") +
           startedAt.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".txt");
}

QString anomalyLine(const QString& caption, const QString& text) {
    const QString trimmed = caption.trimmed();
    const qsizetype zone = (trimmed.size() / kPrintZone + 1) * kPrintZone;
    return trimmed.leftJustified(zone, QLatin1Char(' ')) + text;
}

void AnomaliesFile::put(const QString& line) {
    const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
    if (file_.write(bytes) != bytes.size())
        throw ConsolidationError(QStringLiteral("Não foi possível escrever o ficheiro %1: %2")
                                     .arg(path_, file_.errorString()));
}

void AnomaliesFile::write(const QString& caption, const AnomalyList& anomalies) {
    if (!file_.isOpen()) {
        file_.setFileName(path_);
        finished_ = false;
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw ConsolidationError(QStringLiteral("Não foi possível criar o ficheiro %1: %2")
                                         .arg(path_, file_.errorString()));
    }
    for (const QString& text : anomalies.items())
        put(anomalyLine(caption, text));
}

void AnomaliesFile::finish() {
    if (!file_.isOpen())
        return;
    put(QString());
    file_.close();
    finished_ = true;
}

}  // namespace agrimor
