#include "class9/class9_commands.h"

#include "class9/class9_error.h"
#include "class9/class9_settings.h"
#include "class9/derivation.h"
#include "class9/existing_movements.h"
#include "core/company_job.h"
#include "core/company_opening.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "core/year_field.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "ledger/run_log.h"

namespace agrimor {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kWillLoad = QStringLiteral("Vai ser carregada informação para integração") + kCrLf +
                          QStringLiteral("dos movimentos da Classe 9.");

QString fieldsMissing(const Class9Input& input) {
    QString missing;
    const auto check = [&](bool filled, const char* label) {
        if (!filled)
            missing += QString::fromUtf8(label) + kCrLf;
    };
    check(input.bd >= 1, " Empresa");
    check(!input.yearText.isEmpty(), " Ano");
    check(input.month >= 1 && input.month <= 12, " Mês");
    check(!input.tpDoc.isEmpty(), " Tipo Documento");
    check(!input.serie.isEmpty(), " Série");
    check(!input.diario.isEmpty(), " Diário");
    return missing;
}

// A database failure of the load with what was being done and on which database: the engine's
// own text ("attempt to write a readonly database") names neither.
template <typename Step>
auto inDatabase(const DataAccess& db, const QString& action, Step&& step) {
    try {
        return step();
    } catch (const DbError& error) {
        const QString name = db.settings().database.isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (%1)").arg(db.settings().describe());
        throw DbError(error.number(), QStringLiteral("%1%2: %3").arg(action, name, error.message()),
                      error.sqlState(), error.nativeCode());
    }
}

// Shows a failure the way every job does, after rolling back whatever is still open.
void reportFailure(Class9Environment& environment, const Class9Input& input, Class9State& state,
                   const std::exception& error) {
    state.lastError =
        reportCompanyFailure(environment.prompter, environment.company, input.companyName, error);
}

// The confirmation writes only the working set of the company, period and document type it was
// loaded for: another company's connection or month would receive lines that are not its own.
bool loadMatches(const Class9State& state, const Class9Input& input) {
    int year = 0;
    try {
        year = parseClass9Year(input.yearText);
    } catch (const Class9Error&) {
        return false;
    }
    return state.loadedBd == input.bd && state.loadedYear == year &&
           state.loadedMonth == input.month && state.loadedTpDoc == input.tpDoc;
}

}  // namespace

int parseClass9Year(const QString& yearText) {
    const std::optional<int> year = parseYearField(yearText, 1, 5);
    if (!year)
        throw Class9Error(invalidYearMessage(yearText));
    return *year;
}

bool isGridComplete(const Class9WorkingSet& set) {
    for (int row = 0; row < set.size(); ++row) {
        const Value& general = set.value(row, Class9WorkingSet::ContaG);
        const Value& class9 = set.value(row, Class9WorkingSet::Classe9);
        if (!general.isNull() && !general.toText().isEmpty() &&
            (class9.isNull() || class9.toText().isEmpty()))
            return false;
    }
    return true;
}

Class9Outcome loadClass9(Class9Environment& environment, const Class9Input& input,
                         Class9State& state) {
    Prompter& prompter = environment.prompter;
    if (const QString missing = fieldsMissing(input); !missing.isEmpty()) {
        inform(prompter, QStringLiteral("Deve preencher os seguntes campos") + kCrLf + missing);
        return Class9Outcome::FieldsMissing;
    }
    int year = 0;
    try {
        year = parseClass9Year(input.yearText);
    } catch (const Class9Error& error) {
        inform(prompter, error.message());
        return Class9Outcome::Refused;
    }

    // From here an earlier load can no longer be confirmed: its decisions are replaced, and its
    // lines go with them, so the grid never shows what a confirmation would not write.
    state.set().clear();
    state.loaded = false;
    state.cancelErp = false;
    state.cancelIntegrated = false;
    state.lastError.clear();
    try {
        inDatabase(environment.consolidated,
                   QStringLiteral("Gravação dos dados da Empresa na base de dados consolidada"),
                   [&] {
                       storeClass9Settings(environment.consolidated, input.bd,
                                           {input.tpDoc, input.serie, input.diario});
                   });
        if (!environment.company) {
            inform(prompter, kCompanyParametersIncorrect);
            return Class9Outcome::Failed;
        }
        DataAccess& company = *environment.company;
        const QString reading = QStringLiteral("Leitura dos movimentos da Empresa");
        const bool erpLines = inDatabase(company, reading, [&] {
            return hasErpClass9Lines(company, year, input.month, input.tpDoc);
        });
        if (erpLines) {
            if (!confirmOkCancel(
                    prompter, QStringLiteral("Existem movimentos Classe 9 gerados pelo ERP!") +
                                  kCrLf +
                                  QStringLiteral("Se continuar estes movimentos serão apagados.")))
                return Class9Outcome::Cancelled;
            state.cancelErp = true;
        }
        int rows = 0;
        const bool integratedLines = inDatabase(company, reading, [&] {
            return hasIntegratedClass9Lines(company, year, input.month, input.tpDoc);
        });
        if (!integratedLines) {
            inform(prompter, kWillLoad);
            state.mode = Class9LoadMode::Derived;
            rows = inDatabase(company, reading, [&] {
                return deriveClass9Lines(company, prompter, year, input.month, state.set());
            });
        } else if (confirmOkCancel(prompter,
                                   QStringLiteral("Já existem movimentos Classe 9 integrados!") +
                                       kCrLf +
                                       QStringLiteral("Pretende carregar esses movimentos?"))) {
            inform(prompter, QStringLiteral("Vão ser carregados os movimentos já integrados!"));
            state.mode = Class9LoadMode::Reloaded;
            rows = inDatabase(company, reading, [&] {
                return reloadClass9Lines(company, prompter, year, input.month, input.tpDoc,
                                         state.set());
            });
        } else {
            inform(prompter,
                   kWillLoad + kCrLf +
                       QStringLiteral("Os movimentos da classe 9 já integrados serão anulados."));
            state.mode = Class9LoadMode::Derived;
            state.cancelIntegrated = true;
            rows = inDatabase(company, reading, [&] {
                return deriveClass9Lines(company, prompter, year, input.month, state.set());
            });
        }
        if (rows == 0)
            return Class9Outcome::NothingToDo;
    } catch (const std::exception& error) {
        state.set().clear();
        reportFailure(environment, input, state, error);
        return Class9Outcome::Failed;
    }
    state.loaded = true;
    state.loadedBd = input.bd;
    state.loadedYear = year;
    state.loadedMonth = input.month;
    state.loadedTpDoc = input.tpDoc;
    return Class9Outcome::Done;
}

Class9ConfirmResult confirmClass9(Class9Environment& environment, const Class9Input& input,
                                  Class9State& state, const Class9Progress& progress) {
    Class9ConfirmResult result;
    if (!state.loaded)
        return result;
    Prompter& prompter = environment.prompter;
    // A refused confirmation is a run too: said, and logged "recusado".
    const auto refuse = [&](const QString& text) {
        inform(prompter, text);
        RunRecord refused =
            startRun(run_task::kClass9, input.bd, input.companyName,
                     environment.company ? *environment.company : environment.consolidated);
        refused.year = state.loadedYear;
        refused.month = state.loadedMonth;
        refused.result = run_result::kRefused;
        refused.message = text;
        appendRunAfterCommit(environment.consolidated, prompter, refused);
        result.outcome = Class9Outcome::Refused;
        return result;
    };
    if (!environment.company)
        return refuse(kCompanyParametersIncorrect);
    if (!loadMatches(state, input))
        return refuse(QStringLiteral("A informação carregada não corresponde à Empresa, Ano, Mês "
                                     "e Tipo Documento indicados!") +
                      kCrLf + QStringLiteral("Carregue novamente a informação."));
    Class9WorkingSet& set = state.set();
    if (!isGridComplete(set))
        return refuse(QStringLiteral("Existem Contas Classe 9 não preenchidas!"));
    set.sortForWriting();

    QString question =
        QStringLiteral("Vai dar início à gravação para o período selecionado!") + kCrLf + kCrLf;
    if (state.cancelErp)
        question += QStringLiteral("Os movimentos gerados pelo ERP serão anulados.") + kCrLf;
    if (state.cancelIntegrated)
        question += QStringLiteral("Os movimentos já integrados serão anulados.") + kCrLf;
    question += kCrLf + QStringLiteral("Pretende continuar?");
    if (!confirmOkCancel(prompter, question)) {
        result.outcome = Class9Outcome::Cancelled;
        return result;
    }

    DataAccess& company = *environment.company;
    const Class9Target target{state.loadedYear, state.loadedMonth, input.tpDoc, input.serie,
                              input.diario};
    state.lastError.clear();
    RunRecord run = startRun(run_task::kClass9, input.bd, input.companyName, company);
    run.year = target.year;
    run.month = target.month;
    run.journal = target.diario;
    try {
        Transaction transaction(company);
        if (state.cancelErp)
            deleteClass9Lines(company, target.year, target.month, target.tpDoc,
                              Class9Kind::OtherTypes);
        if (state.cancelIntegrated)
            deleteClass9Lines(company, target.year, target.month, target.tpDoc,
                              Class9Kind::ClassType);
        if (state.mode == Class9LoadMode::Derived)
            result.written = writeClass9(company, set, target, progress);
        else
            result.updated = updateClass9(company, set, target, progress);
        if (state.mode == Class9LoadMode::Derived)
            traceDocumentRange(company, run, target.year, target.tpDoc, target.serie,
                               result.written.firstDocument,
                               result.written.firstDocument + result.written.documents - 1);
        else
            run.lines = result.updated.changed;
        transaction.commit();
    } catch (const std::exception& error) {
        state.loaded = false;
        reportFailure(environment, input, state, error);
        result.outcome = Class9Outcome::Failed;
        forgetWritten(run);
        run.result = run_result::kFailed;
        run.message = state.lastError;
        appendRunAfterCommit(environment.consolidated, prompter, run);
        return result;
    }
    state.loaded = false;
    result.outcome = Class9Outcome::Done;
    run.result = run_result::kDone;
    appendRunAfterCommit(environment.consolidated, prompter, run);
    return result;
}

}  // namespace agrimor
