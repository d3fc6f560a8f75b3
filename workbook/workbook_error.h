#pragma once

#include <cstddef>

#include "data/error.h"

namespace agrimor {

// A workbook that is missing, is not a workbook, can not be read or written, or lacks a sheet;
// also what a sheet reader raises for a cell it can not take. The number is the one shown beside
// the text: 53 for a missing file, 13 for a cell of the wrong type, kUnreadable otherwise.
class WorkbookError : public Error {
public:
    static constexpr int kFileNotFound = 53;
    static constexpr int kTypeMismatch = 13;
    static constexpr int kUnreadable = -2147467259;

    WorkbookError(int number, QString message) : Error(std::move(message), number) {}
};

// "Não foi possível ler o livro de Excel <path>: <why>", the text of most refusals.
QString unreadableWorkbookText(const QString& path, const QString& why);

// Throws the WorkbookError for a sheet index (0-based) outside a workbook of `sheetCount` sheets.
void checkSheetIndex(int index, std::size_t sheetCount);

}  // namespace agrimor
