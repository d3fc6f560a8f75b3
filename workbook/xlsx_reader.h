#pragma once

#include <QString>
#include <memory>

namespace agrimor {

class Workbook;

// Opens a .xlsx or .xlsm package in this process: libzip for the package, expat for its XML,
// reading only the parts it needs. The workbook, its shared strings and styles are read here;
// a sheet is read as a stream when asked for, one row at a time. The file stays open while the
// workbook lives. Throws WorkbookError.
std::unique_ptr<Workbook> openXlsx(const QString& path);

}  // namespace agrimor
