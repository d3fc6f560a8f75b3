#pragma once

#include <QString>

namespace agrimor {

class Workbook;
class ImportLinesTable;
class ImportDocumentsTable;

// Reads a movement sheet into the import tables, replacing what they held. The 23 columns are
// taken by position (the header row is not looked at; columns after the 23rd are ignored): text
// columns trimmed and cut to their width, whole-number columns from the first characters of the
// trimmed cell (1 for TpTerc and DbCr, 3 for LinCC), amounts as read; an empty cell gives null.
// Numbers in text columns read as the sheet shows them, date cells as "dd-mm-yyyy" (a date-time
// gives its date); a boolean is "VERDADEIRO" or "FALSO" in a text column and 1 or 0 in a number
// column, as the spreadsheet counts it. Each line keeps its sheet row as its source row
// (MemoryTable::sourceRow).
//
// The documents table gets one row per distinct document key (column 23), in the order the keys
// first appear, from the first line of that key: a key that comes back after other keys joins its
// first document, so no line belongs to two documents.
//
// A sheet with fewer than 23 columns, a cell that does not fit its column, an error cell (#N/A,
// #DIV/0!...), an amount written as a text that may be thousands or decimals ("1.234", "12,500":
// isAmbiguousMoneyText), or a row without a key stops the read with a WorkbookError naming the
// sheet row and the column; the rows before it stay in the tables (a row without a key is itself
// stored first).
void readMovementSheet(const Workbook& workbook, const QString& sheet, ImportLinesTable& lines,
                       ImportDocumentsTable& documents);

}  // namespace agrimor
