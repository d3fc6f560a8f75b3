#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "consolidation/movement_writer.h"
#include "consolidation/print_file.h"
#include "consolidation/processing_input.h"

namespace agrimor {

class DataAccess;
class Prompter;

// What the consolidation commands work with: the shared connection to the consolidated database,
// the prompt seam, the data folder (anomalies files) and the clock that names those files.
struct ConsolidationEnvironment {
    ConsolidationEnvironment(DataAccess& consolidated, Prompter& prompter, QString dataFolder)
        : consolidated(consolidated), prompter(prompter), dataFolder(std::move(dataFolder)) {}

    DataAccess& consolidated;
    Prompter& prompter;
    QString dataFolder;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    PrintCommand print;
};

// The check-up's offer to print its anomalies file; the file name follows.
inline const QString kPrintAnomaliesQuestion = QStringLiteral("Pretende imprimir as anomalias? ");

enum class CommandOutcome {
    Done,            // every ticked company was handled (some may have been skipped on request)
    Cancelled,       // the opening confirmation was answered Cancel
    FieldsMissing,   // no year or no month
    AnomaliesFound,  // anomalies were written to the anomalies file
    Failed,          // an error was reported; the failing company wrote nothing
};

struct CommandResult {
    CommandOutcome outcome = CommandOutcome::Done;
    QString anomaliesFile;                              // when anomalies were found
    std::vector<std::pair<int, WriteSummary>> written;  // per consolidated company (BD)
    std::int64_t companyStatements = 0;  // sent to the company databases (benchmarks read it)
};

// The processing tab's "Integrar": confirmation, field check, then for every ticked company in
// order the checks and, after a confirmation per company, the writing of its movements (one
// transaction each). The first company with anomalies stops the run and its anomalies go to the
// anomalies file; an error rolls the company back, is shown with the company's name and ends the
// run; companies written before stay written.
CommandResult runConsolidation(ConsolidationEnvironment& environment, const ProcessingInput& input);

// The processing tab's "CheckUp": the same checks for every ticked company without writing
// anything, all anomalies in one file, which is offered for printing. A database error is shown
// and ends the check-up.
CommandResult runCheckUp(ConsolidationEnvironment& environment, const ProcessingInput& input);

// The processing tab's "Anular": deletes from the consolidated database every MovCTB line of each
// ticked company's document type and series in the period, whoever wrote it. UltimoMes is kept.
// A database error is shown and ends the command; companies handled before stay done.
CommandResult runCancellation(ConsolidationEnvironment& environment, const ProcessingInput& input);

}  // namespace agrimor
