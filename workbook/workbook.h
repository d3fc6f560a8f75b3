#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <span>

#include "workbook/workbook_cell.h"
#include "workbook/workbook_error.h"

namespace agrimor {

// What a sheet reader receives: the sheet's rows after its header row. Both workbook formats feed
// the same sink, so a sheet reader never knows which library parsed the file. An exception thrown
// from a sink call stops the read and reaches the caller of Workbook::readSheet().
class SheetSink {
public:
    virtual ~SheetSink() = default;
    // Once, before the rows: the width of the sheet's used area, header row included.
    virtual void begin(int columnCount) = 0;
    // One row below the header, in sheet order. `sheetRow` is the row number the spreadsheet
    // shows (the header is row 1); `cells` has exactly `columnCount` cells. Empty rows inside the
    // used area are delivered too, all cells empty.
    virtual void row(int sheetRow, std::span<const Cell> cells) = 0;
};

// An open workbook: .xlsx (read with liborcus) or .xls (read with libfreexl), told apart by the
// file's content, not its name. The first row of a sheet holds headings and is not data; text
// cells are text, numbers numbers, date-formatted cells dates, empty cells empty; a formula gives
// its value. Every failure is a WorkbookError.
class Workbook {
public:
    virtual ~Workbook() = default;

    // Opens and reads the file whole, in a child process (see workbook_isolation.h): a file that
    // makes a library crash, abort or hang is a WorkbookError like any other damage. The file is
    // not held open afterwards.
    static std::unique_ptr<Workbook> open(const QString& path);

    // The sheet names in workbook order.
    virtual QStringList sheetNames() const = 0;
    // Feeds the named sheet's rows to `sink`. An unknown name is an error and reads nothing.
    void readSheet(const QString& name, SheetSink& sink) const;

protected:
    virtual void readSheetAt(int index, SheetSink& sink) const = 0;
};

// The largest sheet the readers accept, in rows: what the .xlsx format allows.
inline constexpr int kMaxSheetRows = 1048576;

}  // namespace agrimor
