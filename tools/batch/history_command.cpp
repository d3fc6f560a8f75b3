#include "tools/batch/history_command.h"

#include "core/company_opening.h"
#include "data/data_access.h"
#include "data/money_text.h"
#include "ledger/run_log.h"
#include "movimport/import_run.h"
#include "tools/batch/batch_support.h"

namespace agrimor {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitError = 1;

const char* const kHeader =
    "Id\tTarefa\tEmpresa\tAno\tMes\tUtilizador\tPosto\tInicio\tFim\tResultado\tLinhas\tTpDoc\t"
    "Serie\tPrimeiroDoc\tUltimoDoc\tDebito\tCredito\tFicheiro\tAnulado";

// A field of a line: no tab or line break of its own.
QString field(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

template <typename T>
QString number(const std::optional<T>& value) {
    return value ? QString::number(*value) : QString();
}

QString amount(const std::optional<Money>& value) {
    return value ? formatMoney(*value, 2, {QString(), QStringLiteral("."), true}) : QString();
}

QString moment(const QDateTime& value) {
    return value.isValid() ? value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

// The run's ranges of documents, one column each of TpDoc, Serie, PrimeiroDoc and UltimoDoc: a
// run that wrote several types or series lists them in the same order, comma-separated.
QStringList documentColumns(const RunRecord& r) {
    QStringList types;
    QStringList series;
    QStringList first;
    QStringList last;
    for (const DocumentRange& range : documentRanges(r)) {
        types << field(range.type);
        series << field(range.series);
        first << QString::number(range.first);
        last << QString::number(range.last);
    }
    if (types.isEmpty())  // a run that wrote no documents may still name its type
        return {field(r.tpDoc), field(r.serie), QString(), QString()};
    const QChar comma = QLatin1Char(',');
    return {types.join(comma), series.join(comma), first.join(comma), last.join(comma)};
}

QString runLine(const RunRecord& r) {
    const QStringList documents = documentColumns(r);
    return QStringList{QString::number(r.id),
                       r.task,
                       number(r.company),
                       number(r.year),
                       number(r.month),
                       field(r.userShown()),
                       field(r.machine),
                       moment(r.start),
                       moment(r.end),
                       r.result,
                       QString::number(r.lines),
                       documents[0],
                       documents[1],
                       documents[2],
                       documents[3],
                       amount(r.debit),
                       amount(r.credit),
                       field(r.file),
                       r.undone ? moment(*r.undone) : QString()}
        .join(QLatin1Char('\t'));
}

int usage(std::FILE* err, const char* command, const char* synopsis, const QString& problem) {
    std::fprintf(err, "agrimor-batch %s: %s\nusage: agrimor-batch %s %s\n", command,
                 qPrintable(problem), command, synopsis);
    return kExitError;
}

QString readNumber(const QString& value, const QString& option, int low, int high, int& out) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high)
        return QStringLiteral("%1 inválido: %2").arg(option, value);
    out = n;
    return {};
}

}  // namespace

int runHistoryCommand(const QStringList& arguments, const QString& executableFolder, std::FILE* out,
                      std::FILE* err) {
    static const char* const kSynopsis =
        "[--company N] [--year Y] [--month M] "
        "[--job consolidacao|anulacao|classe9|importacao|cambios] [--data-folder DIR]";
    RunFilter filter;
    QString dataFolder;
    const auto valued = [&](const QString& option, const QString& value) -> QString {
        int n = 0;
        QString problem;
        if (option == QLatin1String("--company")) {
            problem = batch::readCompany(value, n);
            filter.company = n;
        } else if (option == QLatin1String("--year")) {
            problem = readNumber(value, QStringLiteral("ano"), 1, 32767, n);
            filter.year = n;
        } else if (option == QLatin1String("--month")) {
            problem = batch::readMonth(value, n);
            filter.month = n;
        } else if (option == QLatin1String("--job")) {
            if (!QStringList{run_task::kConsolidation, run_task::kCancellation, run_task::kClass9,
                             run_task::kImport, run_task::kRates}
                     .contains(value))
                return QStringLiteral("tarefa desconhecida: %1").arg(value);
            filter.task = value;
        } else if (option == QLatin1String("--data-folder")) {
            dataFolder = value;
        } else {
            return batch::unknownOption(option);
        }
        return problem;
    };
    if (const QString problem = batch::readOptions(
            arguments, [](const QString&) { return false; }, valued);
        !problem.isEmpty())
        return usage(err, "historico", kSynopsis, problem);

    const std::unique_ptr<DataAccess> consolidated =
        batch::openConsolidated(batch::startupFiles(executableFolder, dataFolder), err);
    if (!consolidated)
        return kExitError;
    try {
        const std::vector<RunRecord> runs = readRuns(*consolidated, filter);
        std::fprintf(out, "%s\n", kHeader);
        for (const RunRecord& run : runs)
            std::fprintf(out, "%s\n", runLine(run).toUtf8().constData());
    } catch (const std::exception& error) {
        std::fprintf(err, "%s\n", error.what());
        return kExitError;
    }
    return kExitDone;
}

int runUndoImportCommand(const QStringList& arguments, const QString& executableFolder,
                         std::FILE* out, std::FILE* err) {
    static const char* const kSynopsis = "ID [--yes] [--data-folder DIR]";
    bool yes = false;
    QString dataFolder;
    QString id;
    const auto flag = [&yes](const QString& option) {
        if (option != QLatin1String("--yes"))
            return false;
        yes = true;
        return true;
    };
    const auto valued = [&](const QString& option, const QString& value) -> QString {
        if (option != QLatin1String("--data-folder"))
            return batch::unknownOption(option);
        dataFolder = value;
        return {};
    };
    const auto positional = [&id](const QString& value) -> QString {
        if (!id.isEmpty())
            return QStringLiteral("argumento a mais: %1").arg(value);
        id = value;
        return {};
    };
    if (const QString problem = batch::readOptions(arguments, flag, valued, positional);
        !problem.isEmpty())
        return usage(err, "anular-importacao", kSynopsis, problem);
    bool ok = false;
    const qlonglong run = id.toLongLong(&ok);
    if (!ok || run <= 0)
        return usage(err, "anular-importacao", kSynopsis,
                     id.isEmpty() ? QStringLiteral("falta o número da execução")
                                  : QStringLiteral("número de execução inválido: %1").arg(id));

    const std::unique_ptr<DataAccess> consolidated =
        batch::openConsolidated(batch::startupFiles(executableFolder, dataFolder), err);
    if (!consolidated)
        return kExitError;
    batch::BatchPrompter prompter(yes, out);
    const CompanyOpener open = [&](int bd) {
        std::unique_ptr<DataAccess> company;
        batch::openCompany(*consolidated, bd, prompter, CompanyOpenFailureReport::toUser(prompter),
                           err, company);
        return company;
    };
    const UndoResult result = undoImport(*consolidated, run, prompter, open);
    return result.outcome == UndoOutcome::Undone ? kExitDone : kExitError;
}

}  // namespace agrimor
