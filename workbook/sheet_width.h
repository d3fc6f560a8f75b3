#pragma once

#include <QString>

namespace agrimor {

class Workbook;

// The width of a sheet's used area counted from its cells: the column of the rightmost value in
// any row, header included. SheetSink::begin() is told the wider of the header row and the used
// range the file states; a file may state none (the element is optional), and then a column that
// only the data rows fill is not counted there. A reader that would refuse a sheet for being
// narrow asks this first. It reads the whole sheet, so it belongs on that refusal path only.
int sheetWidth(const Workbook& workbook, const QString& sheet);

}  // namespace agrimor
