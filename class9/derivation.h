#pragma once

#include <QString>

#include "core/month_counts.h"

namespace agrimor {

class Class9WorkingSet;
class DataAccess;
class Prompter;

inline const QString kNoMovementsToIntegrate =
    QStringLiteral("Não existem movimentos para integração!");
inline const QString kNoClass9Movements = QStringLiteral("Não existem movimentos da Classe 9!");

// Lines one statement of a load returns at most (the lines of one document are never cut): some
// drivers hold a whole result in memory when its statement runs. A load reads the document dates
// and the types and series in the database's order, then each type and series a range of numbers
// at a time through MovCTB's key, and puts the rows in the order one statement would give.
constexpr int kClass9LoadPieceLines = 10000;

// Derives the month's candidate class-9 lines from the company's general-accounting lines and
// puts them in `set`, which is emptied first: one row per MovCTB line of year `year` whose
// document date falls in `month`, with Nat <= 2, Statac 2, an account not beginning with "9" and
// present in the chart (POC) of the line's own Exercicio. The class-9 account is the chart's
// cl9dd for a debit and cl9cc for a credit (empty when unmapped or the side is neither); a line
// whose costing code is exactly "P00631" or "P00763" goes to "96112" whatever the chart says.
// Rows come by document date, type, series, number and line.
//
// Returns the number of rows. None: "Não existem movimentos para integração!" is shown. A
// failure (DbError, or a value that does not fit the set) leaves the set empty and propagates.
int deriveClass9Lines(DataAccess& company, Prompter& prompter, int year, int month,
                      Class9WorkingSet& set, int pieceLines = kClass9LoadPieceLines);

// How many lines deriveClass9Lines() reads for each month of `year`, in one statement.
MonthCounts class9SourceLinesByMonth(DataAccess& company, int year);

// Reloads into `set` (emptied first) the class-9 lines of document type `tpDoc` in the month,
// whatever their Nat and Statac, as long as their account is in the chart of their year; both
// ContaG and Classe9 hold the line's own account. None: "Não existem movimentos da Classe 9!".
int reloadClass9Lines(DataAccess& company, Prompter& prompter, int year, int month,
                      const QString& tpDoc, Class9WorkingSet& set,
                      int pieceLines = kClass9LoadPieceLines);

}  // namespace agrimor
