#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "ledger/numerators.h"

namespace agrimor {

class Class9WorkingSet;
class DataAccess;

// Where and how a confirmation writes: the period the working set was loaded for and the class-9
// document type, series and journal of the new lines.
struct Class9Target {
    int year = 0;
    int month = 0;
    QString tpDoc;
    QString serie;
    QString diario;
    // Grid rows whose lines are read together (a range of documents of one type and series):
    // about the most source lines held in memory at once.
    int sliceRows = 5000;
};

// Called as the writing goes on: `value` of `maximum` (the grid's rows + 10, as the progress bar
// is set up). Not called for every row.
using Class9Progress = std::function<void(int value, int maximum)>;

// The numbers class-9 documents follow: the highest in use in MovCTB (highestNumbersInUse()).
using Class9Numbers = NumbersInUse;

struct Class9WriteSummary {
    std::int64_t firstDocument = 0;  // 0 when the grid was empty
    int documents = 0;               // document numbers used
    int lines = 0;                   // lines written
    int vanished = 0;                // grid rows whose source line was no longer there
};

// Writes the working set, in its current order, as new class-9 documents. Every row is numbered
// first: a row whose document key (`Doc.` without its line number) differs from the row before
// opens a new document with the next document and journal numbers after highestNumbersInUse(), and
// lines count 1, 2, ... within it. Then each row's source line (found by year and the row's
// hidden type, series, number and line) is copied into a new MovCTB row: Conta the row's class-9
// account, the target's type, series and journal, the row's numbers, TpTerc 4, Ref the row's
// full `Doc.` key, DBTS left to the database, every other column as the source line has it. A
// row whose source line has gone writes nothing but still took its numbers.
//
// The source lines are read a range of documents at a time through the table's key (type,
// series, numbers from..to) rather than one query per row, and matched to the rows by key; the
// new rows go through one updatable result set, which the ODBC engine sends many rows per round
// trip. Memory grows with the range, not the month. Runs inside the caller's transaction; any
// failure propagates.
Class9WriteSummary writeClass9(DataAccess& company, const Class9WorkingSet& set,
                               const Class9Target& target, const Class9Progress& progress = {});

struct Class9UpdateSummary {
    int changed = 0;    // lines whose account was rewritten
    int unchanged = 0;  // lines that already held the row's account
    int vanished = 0;   // rows whose line was no longer there
};

// Rewrites the account of each reloaded class-9 line with its row's class-9 account. A line is
// found by year and the row's hidden type, series, number and line columns (never by splitting
// `Doc.`, whose series may hold "/"), read a range of documents at a time like the writing does.
// Nothing else of the line changes; a line that already holds the account is left untouched.
// Runs inside the caller's transaction.
Class9UpdateSummary updateClass9(DataAccess& company, const Class9WorkingSet& set,
                                 const Class9Target& target, const Class9Progress& progress = {});

}  // namespace agrimor
