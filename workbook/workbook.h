#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "workbook/serial_date.h"
#include "workbook/workbook_cell.h"
#include "workbook/workbook_error.h"

namespace agrimor {

// What a sheet reader receives: the sheet's rows after its header row. Both workbook formats feed
// the same sink, so a sheet reader never knows which format the file has. An exception thrown
// from a sink call stops the read and reaches the caller of Workbook::readSheet().
//
// The header row is the sheet's first row that holds a value (row 1 unless the rows above it are
// blank). Rows are delivered in sheet order up to the last row that holds a value; blank rows
// between are delivered too, every cell empty. Columns count from A.
class SheetSink {
public:
    virtual ~SheetSink() = default;
    // Once, before the rows: the width of the sheet's used area, header row included: the wider
    // of the header row and the used range the file states.
    virtual void begin(int columnCount) = 0;
    // One row below the header, in sheet order. `sheetRow` is the row number the spreadsheet
    // shows; `cells` has at least `columnCount` cells (more when this row reaches further), the
    // cells past its last value empty.
    virtual void row(int sheetRow, std::span<const Cell> cells) = 0;
};

// A block of cells, 1-based and inclusive: rows 1.., columns 1.. (A is 1).
struct CellRange {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;
    bool operator==(const CellRange&) const = default;
};

// Every row of a sheet that holds a value, as the file gives it; header row included, nothing
// filled in. For tools and tests that look at a sheet whole.
class CellRowSink {
public:
    virtual ~CellRowSink() = default;
    // Once, before the rows: the used range the file states, if it states one. It may be wrong:
    // the rows are never cut to it.
    virtual void statedRange(std::optional<CellRange> range) = 0;
    // `sheetRow` ascends; `cells` runs from column A to the row's last value, and the last cell
    // is never empty.
    virtual void row(int sheetRow, std::span<const Cell> cells) = 0;
};

struct SheetInfo {
    QString name;
    bool hidden = false;  // hidden or very hidden
};

// How Workbook::open reads a .xls file (see workbook/xls_process.h).
struct OpenOptions {
    // How long the reader process may work, waiting for it only, before it is stopped.
    std::chrono::milliseconds timeLimit{std::chrono::seconds(60)};
    // The reader executable; empty: AGRIMOR_XLS_READER, else agrimor-xls-reader where the
    // program keeps its own files (data/program_files.h).
    QString xlsReader;
};

// An open workbook, .xlsx/.xlsm or .xls, told apart by the file's content, not its name: the
// sheets as the spreadsheet shows them (see Cell). Every failure is a WorkbookError.
class Workbook {
public:
    virtual ~Workbook() = default;

    // .xlsx is read in this process by the package reader of workbook/xlsx_reader.h, which reads
    // a sheet as a stream, one row at a time. .xls is read by a reader executable of its own, so
    // that nothing a damaged file does to it can reach the program (workbook/xls_process.h).
    static std::unique_ptr<Workbook> open(const QString& path, const OpenOptions& options = {});

    // The worksheets in workbook order, hidden ones included.
    virtual std::vector<SheetInfo> sheets() const = 0;
    QStringList sheetNames() const;
    virtual DateSystem dateSystem() const = 0;

    // The index (of sheets()) of the named sheet; an unknown name is a WorkbookError.
    int sheetIndex(const QString& name) const;
    // Feeds the named sheet's rows to `sink`. An unknown name is an error and reads nothing.
    void readSheet(const QString& name, SheetSink& sink) const;
    // Feeds every row of the sheet at `index` (of sheets()) that holds a value to `sink`.
    virtual void readCells(int index, CellRowSink& sink) const = 0;
};

// The largest sheet the readers accept: what the .xlsx format allows.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;
// The most cells the rows of one sheet may span, counting each row from column A to its last
// value: the format's every row, 256 columns wide (ten movement sheets of the largest). A file
// past it, a few cells stretched across the whole grid, would keep the program busy for
// minutes; it is refused as damaged.
inline constexpr long long kMaxSheetCells = 1LL << 28;

// Checks that `path` is a file and tells its format by content: a zip package, or an OLE2
// compound document (.xls, and an encrypted .xlsx). Throws the WorkbookError the user sees for a
// missing file or a file of another kind.
enum class WorkbookFileKind { Package, Compound };
WorkbookFileKind checkWorkbookFile(const QString& path);

}  // namespace agrimor
