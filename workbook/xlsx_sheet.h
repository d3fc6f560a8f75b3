#pragma once

#include <QString>
#include <string>

#include "workbook/xlsx_parts.h"

namespace agrimor {

class ZipPackage;
class CellRowSink;

// Streams one worksheet part into `sink`, a row at a time: only the row being read is held.
// Cells are what the file stores: shared, inline (rich-text runs joined) and formula strings,
// numbers, booleans, errors, ISO dates (t="d"), and numbers with a date style as dates in the
// book's date system; a formula's stored result, never a calculation (a formula without one is
// empty). A cell or row without its position follows the one before it. Rows and cells out of
// order, positions off the sheet and values that are not what their type says throw
// WorkbookError naming the sheet and cell.
void readXlsxSheet(const ZipPackage& package, const XlsxBook& book, int index, CellRowSink& sink);

}  // namespace agrimor
