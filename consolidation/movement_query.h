#pragma once

#include <QString>

#include "consolidation/processing_input.h"
#include "data/engine.h"
#include "data/value.h"

namespace agrimor {

class DataAccess;

// The month filter of every statement that reads or deletes a period's movements: months 1 to
// the chosen month, or the chosen month only, as a fragment to put after WHERE or AND. Its
// parameters come from periodParams(). periodFilterAnd() is the same followed by "AND".
QString periodFilter(bool cumulative);
QString periodFilterAnd(bool cumulative);
Params periodParams(const Period& period);

// The distinct accounts of the company's class-9 movement lines of a period with the number of
// lines on each (`Conta`, `Linhas`), in no particular order.
QString movementAccountCountsQuery(bool cumulative);
// The same lines of a whole year, counted per month and account (`Mes`, `Conta`, `Linhas`): the
// account check of every month in one statement. Its one parameter is the year.
QString yearMovementAccountCountsQuery();
// The distinct accounts of the same lines of a whole year (`Conta`): what the account check needs
// when no account is missing. Its one parameter is the year.
QString yearMovementAccountsQuery();
// Parameters of the first query above.
Params movementParams(const Period& period);

// Lines a statement of readMovements() holds at most, documents never split.
constexpr int kMovementPieceLines = 10000;

// Streams the same lines to `sink` (`columns`: the select list, "m.*" for every MovCTB column) in
// the order the consolidation regroups them: document type, number, year, series, line, account.
// They are read a range of documents at a time (a type, numbers from..to), each range holding
// about `pieceLines` lines at most (the lines of one number are never cut), as some drivers hold
// a whole result in memory when its statement runs; the ranges are planned from the lines' count
// per type and, for a type with more lines than one range holds, from how its numbers spread.
// Each series of a range is read through the table's key. The sink gets columns() once, before
// the first row, and nothing when there are no lines.
void readMovements(DataAccess& company, const Period& period, const QString& columns, RowSink& sink,
                   int pieceLines = kMovementPieceLines);

}  // namespace agrimor
