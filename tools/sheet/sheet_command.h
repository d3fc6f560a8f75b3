#pragma once

#include <QStringList>
#include <QTextStream>

namespace agrimor {

// The `folha` subcommand of agrimor-batch: what the imports will see in a workbook, before
// importing it. `arguments` are those after the subcommand's name:
//
//   <livro>                 the sheet names, one a line, in workbook order;
//   <livro> <folha>         the sheet as the movement reader stores it in the import lines table:
//                           a line of the 23 column names, then one line per row;
//   <livro> --rates         the rates the rate import reads (always from the first sheet):
//                           Moeda, Data, Cambio.
//
// Values are tab-separated: null is "\N", so an empty text (an empty field) is told apart;
// a backslash, tab, line feed or carriage return inside a text is written "\\", "\t", "\n",
// "\r". Amounts have four decimals, dates are "dd-mm-yyyy". When the reader stops at a row, the
// rows before it are printed and the reason goes to `err`.
//
// Returns 0 when read, 1 for a workbook that can not be read or wrong arguments.
int runSheetCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace agrimor
