#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

namespace agrimor {

class AnomalyList;

// The consolidation's anomalies file: data folder + "/Anomalias_" + the local time of the start
// of the command as yyyymmddhhmmss + ".txt".
QString anomaliesFileName(const QString& dataFolder, const QDateTime& startedAt);

// One line of the file: the company's caption without surrounding spaces, then the anomaly text
// at the next 14-character print zone (at least one space after the caption).
QString anomalyLine(const QString& caption, const QString& text);

// The file being written: created (replacing one of the same name) by the first company that
// has anomalies, UTF-8, lines ending in CR LF, and one empty line at the end. A file that can
// not be written throws ConsolidationError.
class AnomaliesFile {
public:
    explicit AnomaliesFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    bool created() const { return file_.isOpen() || finished_; }

    // Writes one line per anomaly for the company; creates the file the first time.
    void write(const QString& caption, const AnomalyList& anomalies);
    // Writes the closing empty line and closes the file; nothing when it was never created.
    void finish();

private:
    void put(const QString& line);

    QString path_;
    QFile file_;
    bool finished_ = false;
};

}  // namespace agrimor
