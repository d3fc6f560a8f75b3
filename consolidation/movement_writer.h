#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <vector>

#include "consolidation/processing_input.h"
#include "data/money.h"

namespace agrimor {

class DataAccess;
struct CheckedAccounts;
struct CompanySettings;

// A line written on the rounding account to close a document.
struct RoundingLine {
    int document = 0;
    int line = 0;
    QString account;
    int side = 0;  // 1 debit, 2 credit
    Money amount;
};

// What writing one company produced.
struct WriteSummary {
    // How many of the rounding lines are kept for reports; memory stays the same however many
    // are written.
    static constexpr std::size_t kRoundingLinesKept = 10;

    int firstDocument = 0;  // the first target document number; 0 when there were no movements
    int documents = 0;      // target document numbers used, empty documents included
    int lines = 0;          // MovCTB rows written, rounding lines included
    int roundingLines = 0;
    std::vector<RoundingLine> firstRoundingLines;  // in the order written
};

// Converts the company's class-9 movements of the period with `rate`, regroups them into
// documents of the company's document type and series numbered after the last one of the year in
// the consolidated database, closes every document that no longer balances with a line on the
// rounding account, and records the month in the company's UltimoMes: all in one transaction on
// the consolidated database, so on any failure nothing of the company is written.
//
// The movements are streamed from the company database in the movement query's order; only the
// previous movement is kept (a rounding line copies the columns of its document's last line), so
// memory does not grow with the number of lines. The lines are appended through one updatable
// result set, which the ODBC engine sends many rows per round trip.
//
// The lines written are the lines checked: each line's account must be in the chart the account
// check loaded, and the number of lines read must be the number the check counted. Lines posted
// or removed in the company database since the check make it throw ConsolidationError, and the
// company is rolled back.
//
// Rules kept from the program's earlier releases: a new document starts when the type or number
// changes, unless the previous number is 0; a line whose amount converts to 0.00 is not written
// but keeps its line number (a gap); a document whose lines all convert to 0 still uses its
// number. Where those releases lost money, a source line with a negative Valor is written with
// the absolute converted amount on the opposite side (so the document keeps its net effect), and
// a rounding line always takes the line number after its document's last line.
//
// `beforeCommit`, when given, runs inside the transaction just before its commit (the run's log
// row); its failure rolls the company back too.
WriteSummary writeMovements(DataAccess& consolidated, DataAccess& company, int bd,
                            const CompanySettings& settings, const Period& period, Money rate,
                            const CheckedAccounts& checked,
                            const std::function<void(const WriteSummary&)>& beforeCommit = {});

}  // namespace agrimor
