#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

namespace agrimor {

// agrimor-batch estado --year Y [--month M] [--data-folder DIR]
// The month-end board (monthboard/month_board.h) on standard output: a header line, then one
// tab-separated line per company and month, in the group's order and then by month (only month
// M with --month): Empresa (the company's number), Mes, Movimentos, Classe9, Cambios, Anomalias,
// Consolidado, ConsolidadoEm. An empty figure could not be read (no settings, the company's
// database not reached); why is said on standard error. Nothing is written anywhere: the
// consolidated database is opened without bringing the program's tables up to date.
// `arguments` are those after "estado". Exit code: 0 the board was printed, 1 otherwise.
int runBoardCommand(const QStringList& arguments, const QString& executableFolder,
                    std::FILE* out = stdout, std::FILE* err = stderr);

}  // namespace agrimor
