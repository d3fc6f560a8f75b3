#include "consolidation/consolidation_commands.h"

#include <memory>
#include <optional>

#include "consolidation/anomalies_file.h"
#include "consolidation/checks.h"
#include "consolidation/company_settings.h"
#include "consolidation/consolidation_error.h"
#include "consolidation/month_rate.h"
#include "consolidation/movement_query.h"
#include "core/anomaly_list.h"
#include "core/company_job.h"
#include "core/company_opening.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "data/error.h"
#include "ledger/run_log.h"

namespace agrimor {

namespace {

const QString kFillFields = QStringLiteral("Deve preencher os campos!");
const QString kContinue = QStringLiteral("\r\nPretende continuar?");

QString companyMessage(const CompanyTab& company, const QString& text) {
    return QStringLiteral("Empresa:  ") + company.caption.trimmed() + QStringLiteral("\r\n") + text;
}

QString anomaliesMessage(const QString& file) {
    return QStringLiteral("Foram detetadas anomalias \n\rConsulte o ficheiro ") + file;
}

// Runs `body` for the company; false when it failed, which has been shown by then.
template <typename Body>
bool guarded(ConsolidationEnvironment& environment, const CompanyTab& company, Body&& body) {
    return !runForCompany(environment.prompter, &environment.consolidated, company.caption,
                          std::forward<Body>(body));
}

// The checks every company passes before it is written, in order: settings and month rate,
// settings check, period check, the company database, its movements' accounts. The company's
// connection is left open; the caller closes it.
struct CheckedCompany {
    CompanySettings settings;
    Period period;
    Money rate;
    CompanyParameters parameters;
    std::unique_ptr<DataAccess> database;
    CheckedAccounts accounts;
};

CheckedCompany checkCompany(ConsolidationEnvironment& environment, const CompanyTab& company,
                            const ProcessingInput& input, AnomalyList& anomalies) {
    DataAccess& consolidated = environment.consolidated;
    CheckedCompany checked;
    checked.settings = readCompanySettings(consolidated, company.bd);
    checked.period = {parseYear(input.yearText), input.month, checked.settings.cumulative()};
    checked.rate = monthRate(consolidated, checked.settings.moeda, input.month, checked.period.year,
                             anomalies);
    checkSettings(consolidated, checked.settings, checked.period.year, anomalies);
    checkPeriodFree(consolidated, checked.settings, checked.period, anomalies);
    checked.parameters = readCompanyParameters(consolidated, company.bd);
    checked.database = connectCompany(consolidated, checked.parameters,
                                      CompanyOpenFailureReport::toAnomalies(anomalies));
    if (checked.database)
        checked.accounts =
            checkAccounts(consolidated, *checked.database, checked.period, anomalies);
    return checked;
}

// Closes the company's connection, counting what was sent on it.
void release(std::unique_ptr<DataAccess>& database, CommandResult& result) {
    if (!database)
        return;
    result.companyStatements += database->roundTrips();
    database.reset();
}

// Every command asks first and needs the period: the result of a command that stops there.
std::optional<CommandResult> refuseToStart(Prompter& prompter, const QString& question,
                                           const ProcessingInput& input) {
    if (!confirmOkCancel(prompter, question + kContinue))
        return CommandResult{CommandOutcome::Cancelled, {}, {}};
    if (!input.fieldsFilled()) {
        inform(prompter, kFillFields);
        return CommandResult{CommandOutcome::FieldsMissing, {}, {}};
    }
    return std::nullopt;
}

// What the last consolidation of each ticked company and the month wrote, when and by whom, one
// line each, for the cancellation's question; empty when the log holds none or can not be read.
QString lastConsolidations(DataAccess& consolidated, const ProcessingInput& input) {
    QString text;
    bool ok = false;
    const int year = input.yearText.trimmed().toInt(&ok);
    if (!ok || input.month == 0)
        return text;
    try {
        for (const CompanyTab& company : input.companies) {
            const std::optional<RunRecord> last =
                lastRun(consolidated, run_task::kConsolidation, company.bd, year, input.month);
            if (!last)
                continue;
            QString documents;
            if (last->firstDoc)
                documents = QStringLiteral(", documentos %1 %2 n.º %3 a %4")
                                .arg(last->tpDoc, last->serie)
                                .arg(*last->firstDoc)
                                .arg(last->lastDoc.value_or(*last->firstDoc));
            text += QStringLiteral(
                        "\r\nEmpresa %1: a última integração de %2/%3 (n.º %4) "
                        "escreveu %5 linhas%6, em %7 por %8.")
                        .arg(company.caption.trimmed())
                        .arg(input.month, 2, 10, QLatin1Char('0'))
                        .arg(year)
                        .arg(last->id)
                        .arg(last->lines)
                        .arg(documents, last->end.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")),
                             last->userShown());
        }
    } catch (const Error&) {
        // The question stands without what the log would add.
    }
    return text;
}

}  // namespace

CommandResult runConsolidation(ConsolidationEnvironment& environment,
                               const ProcessingInput& input) {
    CommandResult result;
    Prompter& prompter = environment.prompter;
    if (const auto refused = refuseToStart(
            prompter, QStringLiteral("Vai proceder à integração de movimentos!"), input))
        return *refused;

    AnomalyList anomalies;
    AnomaliesFile file(anomaliesFileName(environment.dataFolder, environment.clock()));
    DataAccess& consolidated = environment.consolidated;
    for (const CompanyTab& company : input.companies) {
        bool stop = false;
        RunRecord run =
            startRun(run_task::kConsolidation, company.bd, company.caption, consolidated);
        run.month = input.month;
        const std::optional<QString> failure =
            runForCompany(prompter, &consolidated, company.caption, [&] {
                CheckedCompany checked = checkCompany(environment, company, input, anomalies);
                run.year = checked.period.year;
                run.cumulative = checked.period.cumulative;
                // No connection is held while the question waits: the write step opens it again
                // and reads the lines once, checking them against what the checks saw.
                release(checked.database, result);
                if (!anomalies.isEmpty()) {
                    file.write(company.caption, anomalies);
                    file.finish();
                    anomalies.clear();
                    stop = true;
                    return;
                }
                if (!confirmOkCancel(
                        prompter,
                        QStringLiteral("Vai proceder à integração dos movimentos na Empresa ") +
                            company.caption.trimmed() + kContinue))
                    return;
                std::unique_ptr<DataAccess> database =
                    openCompanyDatabase(consolidated, checked.parameters);
                const auto logRun = [&](const WriteSummary& written) {
                    traceDocumentRange(consolidated, run, checked.period.year,
                                       checked.settings.tpDoc, checked.settings.serie,
                                       written.firstDocument,
                                       written.firstDocument + written.documents - 1);
                    run.result = run_result::kDone;
                    run.message = QStringLiteral("Integração efetuada com sucesso!");
                    appendRun(consolidated, run);
                };
                const WriteSummary summary =
                    writeMovements(consolidated, *database, company.bd, checked.settings,
                                   checked.period, checked.rate, checked.accounts, logRun);
                release(database, result);
                result.written.emplace_back(company.bd, summary);
                inform(prompter,
                       companyMessage(company, QStringLiteral("Integração efetuada com sucesso!")));
            });
        if (failure) {
            forgetWritten(run);
            run.result = run_result::kFailed;
            run.message = *failure;
            appendRunAfterCommit(consolidated, prompter, run);
            result.outcome = CommandOutcome::Failed;
            return result;
        }
        if (stop) {
            run.result = run_result::kRefused;
            run.message = anomaliesMessage(file.path());
            appendRunAfterCommit(consolidated, prompter, run);
            inform(prompter, anomaliesMessage(file.path()));
            result.outcome = CommandOutcome::AnomaliesFound;
            result.anomaliesFile = file.path();
            return result;
        }
    }
    return result;
}

CommandResult runCheckUp(ConsolidationEnvironment& environment, const ProcessingInput& input) {
    CommandResult result;
    Prompter& prompter = environment.prompter;
    AnomalyList anomalies;
    if (const auto refused =
            refuseToStart(prompter, QStringLiteral("Vai proceder ao teste dos movimentos!"), input))
        return *refused;

    AnomaliesFile file(anomaliesFileName(environment.dataFolder, environment.clock()));
    for (const CompanyTab& company : input.companies) {
        const bool ok = guarded(environment, company, [&] {
            CheckedCompany checked = checkCompany(environment, company, input, anomalies);
            release(checked.database, result);
            if (anomalies.isEmpty()) {
                inform(prompter,
                       companyMessage(company, QStringLiteral("CheckUp efetuado com sucesso!")));
                return;
            }
            file.write(company.caption, anomalies);
            anomalies.clear();
            inform(prompter, companyMessage(company, QStringLiteral("Anomalias detetadas!")));
        });
        if (!ok) {
            result.outcome = CommandOutcome::Failed;
            break;
        }
    }
    if (!file.created())
        return result;

    // Anomalies found before an error are still written out and offered.
    try {
        file.finish();
    } catch (const ConsolidationError& e) {
        inform(prompter, e.message());
        return {CommandOutcome::Failed, {}, {}};
    }
    if (result.outcome != CommandOutcome::Failed)
        result.outcome = CommandOutcome::AnomaliesFound;
    result.anomaliesFile = file.path();
    if (confirmOkCancel(prompter, anomaliesMessage(file.path())) &&
        confirmOkCancel(prompter, kPrintAnomaliesQuestion + file.path())) {
        const PrintOutcome printed = printTextFile(file.path(), environment.print);
        if (!printed.accepted)
            inform(prompter, QStringLiteral("Não há serviço de impressão disponível: o ficheiro %1 "
                                            "não foi impresso.\r\n%2")
                                 .arg(file.path(), printed.reason));
    }
    return result;
}

CommandResult runCancellation(ConsolidationEnvironment& environment, const ProcessingInput& input) {
    CommandResult result;
    Prompter& prompter = environment.prompter;
    if (const auto refused =
            refuseToStart(prompter,
                          QStringLiteral("Vai proceder à anulação de movimentos!") +
                              lastConsolidations(environment.consolidated, input),
                          input))
        return *refused;

    DataAccess& consolidated = environment.consolidated;
    for (const CompanyTab& company : input.companies) {
        RunRecord run =
            startRun(run_task::kCancellation, company.bd, company.caption, consolidated);
        run.month = input.month;
        const std::optional<QString> failure =
            runForCompany(prompter, &consolidated, company.caption, [&] {
                const CompanySettings settings = readCompanySettings(consolidated, company.bd);
                const Period period{parseYear(input.yearText), input.month, settings.cumulative()};
                run.year = period.year;
                run.cumulative = period.cumulative;
                const QString where = QStringLiteral(" WHERE     ") +
                                      periodFilterAnd(period.cumulative) +
                                      QStringLiteral(" (ANO = ? and TpDoc=? and Serie=?)");
                Params params = periodParams(period);
                params << period.year << settings.tpDoc << settings.serie;
                const Recordset found = consolidated.openReadOnly(
                    QStringLiteral("Select count(*) as Linhas from MovCTB") + where, params);
                if (found.field(QStringLiteral("Linhas")).toInt() == 0) {
                    const QString nothing = QStringLiteral(
                        "Para as condições solicitadas não existem movimentos para Anular!");
                    run.result = run_result::kRefused;
                    run.message = nothing;
                    inform(prompter, companyMessage(company, nothing));
                    return;
                }
                // The deletion and its log row go together.
                Transaction transaction(consolidated);
                const Recordset totals = consolidated.openReadOnly(
                    QStringLiteral("Select sum(CASE WHEN DbCr=1 THEN Valor ELSE 0 END) as Debito, "
                                   "sum(CASE WHEN DbCr=2 THEN Valor ELSE 0 END) as Credito from "
                                   "MovCTB") +
                        where,
                    params);
                run.debit = totals.field(QStringLiteral("Debito")).toMoney();
                run.credit = totals.field(QStringLiteral("Credito")).toMoney();
                run.lines =
                    consolidated.execute(QStringLiteral(" Delete  from MovCTB ") + where, params);
                run.tpDoc = settings.tpDoc;
                run.serie = settings.serie;
                run.docYear = period.year;
                run.result = run_result::kDone;
                run.message = QStringLiteral("Movimentos Anulados!");
                appendRun(consolidated, run);
                transaction.commit();
                inform(prompter, companyMessage(company, QStringLiteral("Movimentos Anulados!")));
            });
        if (failure) {
            forgetWritten(run);
            run.result = run_result::kFailed;
            run.message = *failure;
            appendRunAfterCommit(consolidated, prompter, run);
            result.outcome = CommandOutcome::Failed;
            return result;
        }
        if (run.result == run_result::kRefused)
            appendRunAfterCommit(consolidated, prompter, run);
    }
    return result;
}

}  // namespace agrimor
