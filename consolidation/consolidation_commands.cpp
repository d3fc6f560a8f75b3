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
    for (const CompanyTab& company : input.companies) {
        bool stop = false;
        const bool ok = guarded(environment, company, [&] {
            CheckedCompany checked = checkCompany(environment, company, input, anomalies);
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
                openCompanyDatabase(environment.consolidated, checked.parameters);
            const WriteSummary summary =
                writeMovements(environment.consolidated, *database, company.bd, checked.settings,
                               checked.period, checked.rate, checked.accounts);
            release(database, result);
            result.written.emplace_back(company.bd, summary);
            inform(prompter,
                   companyMessage(company, QStringLiteral("Integração efetuada com sucesso!")));
        });
        if (!ok) {
            result.outcome = CommandOutcome::Failed;
            return result;
        }
        if (stop) {
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
    if (const auto refused = refuseToStart(
            prompter, QStringLiteral("Vai proceder à anulação de movimentos!"), input))
        return *refused;

    DataAccess& consolidated = environment.consolidated;
    for (const CompanyTab& company : input.companies) {
        const bool ok = guarded(environment, company, [&] {
            const CompanySettings settings = readCompanySettings(consolidated, company.bd);
            const Period period{parseYear(input.yearText), input.month, settings.cumulative()};
            const QString where = QStringLiteral(" WHERE     ") +
                                  periodFilterAnd(period.cumulative) +
                                  QStringLiteral(" (ANO = ? and TpDoc=? and Serie=?)");
            Params params = periodParams(period);
            params << period.year << settings.tpDoc << settings.serie;
            const Recordset found = consolidated.openReadOnly(
                QStringLiteral("Select count(*) as Linhas from MovCTB") + where, params);
            if (found.field(QStringLiteral("Linhas")).toInt() == 0) {
                inform(prompter,
                       companyMessage(company, QStringLiteral("Para as condições solicitadas não "
                                                              "existem movimentos para Anular!")));
                return;
            }
            consolidated.execute(QStringLiteral(" Delete  from MovCTB ") + where, params);
            inform(prompter, companyMessage(company, QStringLiteral("Movimentos Anulados!")));
        });
        if (!ok) {
            result.outcome = CommandOutcome::Failed;
            return result;
        }
    }
    return result;
}

}  // namespace agrimor
