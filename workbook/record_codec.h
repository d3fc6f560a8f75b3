#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "workbook/workbook.h"

// The stream a reader process writes on its standard output and the program reads back: the
// sheet list of a workbook, or the rows of one sheet. A sequence of records, each starting with
// a tag byte:
//   W  the workbook: date system, sheet count, then per sheet its name and whether it is hidden
//   U  a sheet's stated used range: 0, or 1 and four numbers (first row, first column, last row,
//      last column)
//   R  a row: its number, a cell count, then the cells (a kind byte, then the value; a number
//      shown as a time has a kind of its own)
//   D  the sheet was read to its end
//   E  a WorkbookError: its number and text; the read stopped there
//   Z  the stream is complete
// A list is W Z or E Z; a sheet is U, rows, then D or E, then Z. Integers are zigzag varints,
// texts a varint byte length and UTF-8, numbers the 8 bytes of the double.
namespace agrimor::record_codec {

// Writes the records into a buffer that `flush` empties (the reader process sends it to its
// output). As a CellRowSink it writes the stated range and the rows of a sheet.
class Writer : public CellRowSink {
public:
    explicit Writer(std::function<void(const std::string&)> flush);

    void workbook(const std::vector<SheetInfo>& sheets, DateSystem system);
    void statedRange(std::optional<CellRange> range) override;
    void row(int sheetRow, std::span<const Cell> cells) override;
    void done();
    void error(int number, const QString& message);
    void end();  // writes Z and flushes

private:
    void tag(char value);
    void integer(long long value);
    void text(const QString& value);
    void number(double value);
    void flushIfFull();

    std::function<void(const std::string&)> flush_;
    std::string buffer_;
};

// The stream is not one a reader process writes: cut short, out of order or out of range.
struct Malformed {
    const char* why;
};

// Decodes the stream as it arrives, in pieces of any size: every complete record is decoded at
// once, the rows go to the sink. Throws Malformed for a stream out of shape, and whatever the
// sink throws.
class Reader {
public:
    // For a sheet list: sheets() and dateSystem() once finished.
    Reader();
    // For a sheet: the stated range and the rows go to `sink` as they arrive.
    explicit Reader(CellRowSink& sink);

    void feed(const char* data, std::size_t size);
    // After the last piece: the stream must be complete.
    void finish();

    // An E record: the reader's own refusal, with its number and text.
    const std::optional<std::pair<int, QString>>& refusal() const { return refusal_; }
    const std::vector<SheetInfo>& sheets() const { return sheets_; }
    DateSystem dateSystem() const { return dateSystem_; }

private:
    class Cursor;
    bool decodeOne(Cursor& in);

    CellRowSink* sink_ = nullptr;
    std::string pending_;
    enum class State { Start, Rows, Closing, Complete } state_ = State::Start;
    std::vector<SheetInfo> sheets_;
    DateSystem dateSystem_ = DateSystem::From1900;
    std::optional<std::pair<int, QString>> refusal_;
    int lastRow_ = 0;
    std::vector<Cell> cells_;
};

}  // namespace agrimor::record_codec
