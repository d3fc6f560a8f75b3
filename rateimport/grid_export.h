#pragma once

#include <QString>
#include <functional>

#include "workbook/workbook_writer.h"

namespace agrimor {

class MemoryTable;
class Prompter;

// The most rows a grid may have to be exported: a .xls sheet's limit less the header row, with
// one row to spare.
inline constexpr int kMaxExportRows = 65534;

// The grid as shown, as one sheet: the captions, then the visible rows in their order. Text
// columns as text, whole numbers and amounts as numbers (amounts shown with four decimals),
// dates as dates.
SheetData sheetFromTable(const MemoryTable& table, const QString& sheetName);

// Exports the grid to an Excel file the user chooses. More than kMaxExportRows rows: a message
// and nothing else. `choosePath` asks for the file ("" when cancelled: nothing written); a name
// without ".xls" or ".xlsx" gets ".xls". The file is then opened with `open`. A failure to write
// is shown and leaves the grid as it was. Returns the path written, or "".
QString exportGrid(const MemoryTable& table, Prompter& prompter,
                   const std::function<QString(const QString& filter)>& choosePath,
                   const std::function<bool(const QString& path)>& open);

}  // namespace agrimor
