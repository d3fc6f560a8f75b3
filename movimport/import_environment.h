#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <utility>

#include "movimport/import_documents.h"

namespace agrimor {

class DataAccess;
class Prompter;

// What the import's commands work with: the chosen company's database, the prompt seam, the
// company's name as the company list shows it (for the messages), the data folder (anomalies
// files), the clock that names those files and dates the written lines, and two optional hooks of
// the screen: progress through the check-up and the writing, and the totals shown before the
// question.
struct ImportEnvironment {
    ImportEnvironment(DataAccess* company, Prompter& prompter, QString companyName,
                      QString dataFolder)
        : company(company),
          prompter(prompter),
          companyName(std::move(companyName)),
          dataFolder(std::move(dataFolder)) {}

    DataAccess* company;  // null when the company's database is not open
    Prompter& prompter;
    QString companyName;
    QString dataFolder;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    ImportProgress progress;
    std::function<void(const ImportTotals&)> showTotals;

    // The run log: with the consolidated database, every confirmation is logged there for the
    // company `bd`, with the workbook and sheet the lines were read from.
    DataAccess* consolidated = nullptr;
    int bd = 0;
    QString workbookFile;
    QString sheet;
};

}  // namespace agrimor
