#pragma once

#include <QString>
#include <memory>

namespace agrimor {

class Workbook;

// Opens a .xls workbook (BIFF8 records in an OLE2 compound document) in this process: the
// compound document through libgsf, the records by our own reader. Cells are read as the
// spreadsheet shows them: shared and inline strings, numbers, booleans, errors, formula results
// as stored (text, number, boolean or error), numbers with a date format as dates in the
// workbook's date system. The workbook stream is held in memory; a sheet's rows are delivered in
// row order even when the file stores its cells in another order.
//
// The program does not call this: it reads .xls in a process of its own (xls_process.h). The
// reader executable, the fuzzer and the tests do. Throws WorkbookError.
std::unique_ptr<Workbook> openBiff(const QString& path);

}  // namespace agrimor
