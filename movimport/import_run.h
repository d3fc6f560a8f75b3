#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "ledger/run_log.h"
#include "movimport/import_writer.h"

namespace agrimor {

class DataAccess;
class Prompter;

// An import's row in the run log, and its undoing.

// Fills the import's run record from what it wrote, inside its transaction: every document with
// its lines and debit/credit as MovCTB now holds them, the numerators before and after, and the
// year and month when all documents share them.
void traceImport(DataAccess& company, RunRecord& run, const ImportWriteSummary& written);

enum class UndoOutcome {
    Undone,     // the lines are deleted, the numerators put back, the run marked undone
    Refused,    // the run can not be undone; why was said; nothing was written
    Cancelled,  // the question was answered Cancel
    Failed,     // an error was said; nothing was written
};

struct UndoResult {
    UndoOutcome outcome = UndoOutcome::Failed;
    QString message;  // the refusal or the error, as said to the user
    std::int64_t linesDeleted = 0;
};

// Opens a company's database by its position (1..6); null when it can not be opened (the opener
// has said why). Without one, the company's stored parameters are used.
using CompanyOpener = std::function<std::unique_ptr<DataAccess>(int bd)>;

// Undoes the import logged as run `id`: after the question, in one transaction on the company
// database, deletes exactly the lines it wrote and puts its numerators back to their values
// before it, then marks the run undone in the log (its row claimed first, with a conditional
// UPDATE inside a transaction on the consolidated database that commits just before the
// company's, and is taken back should the company's commit fail; two undos at the same moment
// undo once). Refuses, saying why and writing nothing, a run that does
// not exist, is not an import, did not end "efetuado" or was undone already; one after which a
// class-9 integration or a consolidation of the company and a month of its lines ran, a number
// was taken from one of its numerators, or whose lines are no longer as written (count or totals
// per document).
UndoResult undoImport(DataAccess& consolidated, std::int64_t id, Prompter& prompter,
                      const CompanyOpener& openCompany = {});

}  // namespace agrimor
