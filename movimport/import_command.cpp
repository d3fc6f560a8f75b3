#include "movimport/import_command.h"

#include "core/company_job.h"
#include "core/message_box.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "movimport/import_run.h"
#include "movimport/import_tables.h"

namespace agrimor {

namespace {

const QString kNoLines = QString::fromUtf8(
    "Não há movimentos a importar: escolha o ficheiro Excel e a folha dos movimentos.");

// Runs the command's steps; an error rolls back whatever the company database holds open and is
// shown with the company's name.
template <typename Steps>
ImportResult guarded(ImportEnvironment& environment, Steps&& steps) {
    ImportResult result;
    if (const std::optional<QString> error =
            runForCompany(environment.prompter, environment.company, environment.companyName,
                          [&] { steps(result); })) {
        result.error = *error;
        result.outcome = ImportOutcome::Failed;
    }
    return result;
}

// The check-up and what follows it in both commands; false when the import stops there.
bool checked(ImportEnvironment& environment, const ImportLinesTable& lines, ImportResult& result) {
    if (lines.size() == 0) {
        inform(environment.prompter, kNoLines);
        result.outcome = ImportOutcome::NothingToImport;
        return false;
    }
    result.checkUp = checkUpImport(environment, lines);
    if (!result.checkUp.ok()) {
        inform(environment.prompter, QString::fromUtf8("Deve corrigir o excel de importação!"));
        result.outcome = ImportOutcome::AnomaliesFound;
        return false;
    }
    if (environment.showTotals)
        environment.showTotals(importTotals(lines));
    return true;
}

}  // namespace

ImportResult runImport(ImportEnvironment& environment, const ImportLinesTable& lines) {
    std::optional<RunRecord> run;
    if (environment.consolidated && environment.company && lines.size() > 0) {
        run = startRun(run_task::kImport, environment.bd, environment.companyName,
                       *environment.company);
        run->file = environment.workbookFile;
        run->sheet = environment.sheet;
        run->sha256 = fileSha256(environment.workbookFile);
    }
    ImportResult done = guarded(environment, [&](ImportResult& result) {
        if (!checked(environment, lines, result))
            return;
        if (!confirmOkCancel(environment.prompter,
                             QString::fromUtf8("Vai proceder à importação de Movimentos!\r\n"
                                               "Pretende continuar?"))) {
            result.outcome = ImportOutcome::Cancelled;
            return;
        }
        DataAccess& company = *environment.company;
        Transaction transaction(company);
        result.written =
            writeImportedMovements(company, lines, environment.clock(), environment.progress);
        if (run)
            traceImport(company, *run, result.written);
        transaction.commit();
        result.outcome = ImportOutcome::Written;
        inform(environment.prompter, QStringLiteral("Tarefa Terminada!"));
    });
    if (!run)
        return done;
    switch (done.outcome) {
        case ImportOutcome::Written:
            run->result = run_result::kDone;
            break;
        case ImportOutcome::AnomaliesFound:
            run->result = run_result::kRefused;
            run->message = QString::fromUtf8("Deve corrigir o excel de importação! %1")
                               .arg(done.checkUp.anomaliesFile);
            break;
        case ImportOutcome::Failed:
            forgetWritten(*run);  // rolled back
            run->result = run_result::kFailed;
            run->message = done.error;
            break;
        default:
            return done;  // nothing was asked of the database
    }
    appendRunAfterCommit(*environment.consolidated, environment.prompter, *run);
    return done;
}

ImportResult runImportCheck(ImportEnvironment& environment, const ImportLinesTable& lines) {
    return guarded(environment, [&](ImportResult& result) {
        if (checked(environment, lines, result))
            result.outcome = ImportOutcome::Clean;
    });
}

}  // namespace agrimor
