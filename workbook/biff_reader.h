#pragma once

#include <QString>
#include <memory>

namespace agrimor {

class Workbook;

// Opens a .xls workbook in this process: BIFF8 records (Excel 97 onwards), or the BIFF5 and
// BIFF7 of Excel 5 to 95 whose strings are bytes in a code page, in an OLE2 compound document
// that libgsf opens; the records are read by our own reader. Cells are read as the spreadsheet
// shows them: shared and inline strings, numbers, booleans, errors, formula results as stored
// (text, number, boolean or error), numbers with a date format as dates in the workbook's date
// system. The workbook stream is held in memory; a sheet's rows are delivered in row order even
// when the file stores its cells in another order.
//
// The program does not call this: it reads .xls in a process of its own (xls_process.h). The
// reader executable, the fuzzer and the tests do. Throws WorkbookError.
std::unique_ptr<Workbook> openBiff(const QString& path);

}  // namespace agrimor
