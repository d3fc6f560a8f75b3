#pragma once

#include <QString>

#include "movimport/import_checkup.h"
#include "movimport/import_environment.h"
#include "movimport/import_writer.h"

namespace agrimor {

class ImportLinesTable;

enum class ImportOutcome {
    Written,          // the movements were written and committed
    Clean,            // checked only, without an anomaly
    NothingToImport,  // no line to import: no sheet was read, or it held no movement
    AnomaliesFound,   // the anomalies file was written; nothing else happened
    Cancelled,        // the question was answered Cancel; nothing was written
    Failed,           // an error was shown; nothing of the import stayed in the database
};

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Failed;
    ImportCheckUp checkUp;
    ImportWriteSummary written;
    QString error;  // the error text shown, when it failed
};

// The confirm button of the import screen, and the batch's import. With no line (no sheet read,
// or an empty one): "Não há movimentos a importar: escolha o ficheiro Excel e a folha dos
// movimentos.". Otherwise the check-up (checkUpImport); anomalies end it
// with "Deve corrigir o excel de importação!". A clean check-up shows the totals (the environment's
// hook), asks "Vai proceder à importação de Movimentos!\r\nPretende continuar?" (OK/Cancel) and on
// OK writes the movements in one transaction on the company database, commits and shows "Tarefa
// Terminada!".
//
// Any error of the check-up or the writing rolls the transaction back and is shown as "Empresa: " +
// company + "\n\r" + "Erro: " + its text (LF then CR, as the program has always shown it).
ImportResult runImport(ImportEnvironment& environment, const ImportLinesTable& lines);

// The check-up alone, with the same messages and the totals after a clean one; writes nothing.
ImportResult runImportCheck(ImportEnvironment& environment, const ImportLinesTable& lines);

}  // namespace agrimor
