#pragma once

#include <QStringList>
#include <cstdio>

namespace agrimor {

// agrimor-batch historico [--company N] [--year Y] [--month M]
//               [--job consolidacao|anulacao|classe9|importacao|cambios] [--data-folder DIR]
// Prints the run log (ledger/run_log.h), newest first: a header line and one tab-separated line
// per run. Exit code: 0 listed (also when nothing matches), 1 wrong arguments or no database.
int runHistoryCommand(const QStringList& arguments, const QString& executableFolder,
                      std::FILE* out = stdout, std::FILE* err = stderr);

// agrimor-batch anular-importacao ID [--yes] [--data-folder DIR]
// Undoes the import logged as run ID (movimport/import_run.h), asking first (--yes answers OK).
// Exit code: 0 undone, 1 refused, cancelled, error or wrong arguments.
int runUndoImportCommand(const QStringList& arguments, const QString& executableFolder,
                         std::FILE* out = stdout, std::FILE* err = stderr);

}  // namespace agrimor
