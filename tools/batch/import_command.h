#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

namespace agrimor {

// The `importar` subcommand of agrimor-batch: the movement import without a screen.
//
//   importar <livro> --company N [--sheet NOME] [--check] [--yes] [--data-folder DIR]
//
// Opens the consolidated database as the program does (or in the folder given), then company N's
// database (1 to 6, the group's order) with its stored parameters, reads the named sheet of the
// workbook (the first one listed when none is named) as the import screen does, and runs the
// check-up. After a clean check-up it prints the totals per document; with --check it stops there,
// otherwise it asks the confirmation (answered OK only with --yes) and writes the movements in one
// transaction. Every message the screen would show is printed on `out`.
//
// Returns 0 when written (or clean with --check), 2 when anomalies were found, 1 for an error, a
// cancelled confirmation or wrong arguments.
int runImportCommand(const QStringList& arguments, const QString& executableFolder,
                     std::FILE* out = stdout, std::FILE* err = stderr);

}  // namespace agrimor
