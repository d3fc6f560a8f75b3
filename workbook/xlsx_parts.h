#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "data/text_blocks.h"
#include "workbook/number_format.h"
#include "workbook/workbook.h"

namespace agrimor {

class ZipPackage;

// What a package holds besides its sheets' cells, read when it is opened: its worksheets and
// where they are, the date system, the shared strings and which cell styles show dates or
// times.
struct XlsxBook {
    struct Sheet {
        SheetInfo info;
        std::string part;  // absolute part name
    };
    std::vector<Sheet> sheets;
    DateSystem dateSystem = DateSystem::From1900;
    TextBlocks sharedStrings;  // a sheet of many lines has millions, most of them once
    std::vector<NumberFormatKind> styleKinds;  // by cell style (the `s` of a cell)
};

// Finds the workbook part through the package's relationships (relative or absolute targets)
// and reads it, its shared strings and its styles. Throws WorkbookError.
XlsxBook readXlsxBook(const ZipPackage& package);

// Cell text as the spreadsheet shows it: UTF-8 with the format's _xHHHH_ escapes of characters
// XML can not carry ("_x000D_" a carriage return) turned back into those characters.
QString spreadsheetText(std::string_view utf8);

}  // namespace agrimor
