#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "workbook/workbook_cell.h"
#include "workbook/workbook_error.h"

namespace agrimor {

// One sheet to write: its rows in order, the first being the header row.
struct SheetData {
    QString name;
    std::vector<std::vector<Cell>> rows;
    // Per column, the number format of its number cells ("" or missing: general). Date cells are
    // always written as dates shown "dd-mm-yyyy".
    QStringList numberFormats;
};

enum class WorkbookFormat { Xls, Xlsx };

// .xlsx for a name ending ".xlsx" (any case), .xls otherwise.
WorkbookFormat workbookFormatFor(const QString& path);

// Rows a .xls sheet can hold, header included.
inline constexpr int kMaxXlsRows = 65536;

// Writes the sheets to `path` as a workbook of the given format, replacing a file of that name.
// .xls is written as BIFF8 in an OLE2 compound document, .xlsx through libxlsxwriter. A failure
// (a folder that can not be written, too many rows for .xls) throws WorkbookError and leaves no
// partly written workbook under that name.
void writeWorkbook(const QString& path, const std::vector<SheetData>& sheets,
                   WorkbookFormat format);

// The last step of writeWorkbook: moves the finished file `written` over `target` in one rename,
// so the target's name holds the previous file or the new one at every moment, never neither.
// Both must be in the same folder. Returns why it failed, empty on success.
QString replaceFile(const QString& written, const QString& target);

}  // namespace agrimor
