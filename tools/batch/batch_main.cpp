// agrimor-batch checkup|consolidate|cancel --year Y --month M --companies 1,2,..|all [--yes]
//               [--print] [--data-folder DIR]
// agrimor-batch folha <livro> [<folha> | --rates]
// agrimor-batch importar <livro> --company N [--sheet NOME] [--check] [--yes] [--data-folder DIR]
// agrimor-batch classe9 --company N --year Y --month M --tpdoc T --serie S --diario D [--reload]
//               [--yes] [--data-folder DIR]
// agrimor-batch verificar [--company N] [--data-folder DIR]
// agrimor-batch estado --year Y [--month M] [--data-folder DIR]
// agrimor-batch historico [--company N] [--year Y] [--month M] [--job TAREFA] [--data-folder DIR]
// agrimor-batch anular-importacao ID [--yes] [--data-folder DIR]
// The consolidation commands without a screen, for month-end scripts and machines with no
// display. It finds the data folder and the consolidated database as the program does (or uses
// the folder given), runs the same services, prints every message on standard output and
// answers the confirmations with OK when --yes is given (otherwise with Cancel). The check-up's
// offer to print its anomalies is accepted only with --print: an unattended run sends nothing to
// a printer unless asked to. Anomalies files are written as on screen.
// Exit code: 0 done, 2 anomalies found, 1 error, cancelled or wrong arguments.
// "folha" shows a workbook as the imports will read it (tools/sheet/sheet_command.h);
// "importar" imports a movement sheet into a company (tools/batch/import_command.h);
// "classe9" integrates a company's class-9 month (tools/batch/class9_command.h);
// "verificar" checks the databases before going live (tools/batch/check_command.h);
// "estado" prints the month-end board (tools/batch/board_command.h);
// "historico" lists the run log and "anular-importacao" undoes an import
// (tools/batch/history_command.h).

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "consolidation/consolidation_commands.h"
#include "core/companies.h"
#include "data/data_access.h"
#include "data/money_text.h"
#include "tools/batch/batch_support.h"
#include "tools/batch/board_command.h"
#include "tools/batch/check_command.h"
#include "tools/batch/class9_command.h"
#include "tools/batch/history_command.h"
#include "tools/batch/import_command.h"
#include "tools/sheet/sheet_command.h"

namespace {

using namespace agrimor;

constexpr int kExitDone = 0;
constexpr int kExitError = 1;
constexpr int kExitAnomalies = 2;

int usage(const QString& problem) {
    std::fprintf(stderr, "agrimor-batch: %s\n", qPrintable(problem));
    std::fprintf(stderr,
                 "usage: agrimor-batch checkup|consolidate|cancel --year Y --month M "
                 "--companies 1,2,..|all [--yes] [--print] [--data-folder DIR]\n"
                 "       agrimor-batch folha <livro> [<folha> | --rates]\n"
                 "       agrimor-batch importar <livro> --company N [--sheet NOME] [--check] "
                 "[--yes] [--data-folder DIR]\n"
                 "       agrimor-batch classe9 --company N --year Y --month M --tpdoc T --serie S "
                 "--diario D [--reload] [--yes] [--data-folder DIR]\n"
                 "       agrimor-batch verificar [--company N] [--data-folder DIR]\n"
                 "       agrimor-batch estado --year Y [--month M] [--data-folder DIR]\n"
                 "       agrimor-batch historico [--company N] [--year Y] [--month M] "
                 "[--job TAREFA] [--data-folder DIR]\n"
                 "       agrimor-batch anular-importacao ID [--yes] [--data-folder DIR]\n");
    return kExitError;
}

struct Arguments {
    QString command;
    ProcessingInput input;
    bool yes = false;
    bool print = false;
    QString dataFolder;
};

// Empty when the arguments are right; otherwise what is wrong.
QString parse(const QStringList& args, Arguments& out) {
    if (args.size() < 2)
        return QStringLiteral("falta o comando");
    out.command = args.at(1);
    if (out.command != QLatin1String("checkup") && out.command != QLatin1String("consolidate") &&
        out.command != QLatin1String("cancel"))
        return QStringLiteral("comando desconhecido: %1").arg(out.command);
    bool haveCompanies = false;
    const auto flag = [&out](const QString& option) {
        if (option == QLatin1String("--yes"))
            out.yes = true;
        else if (option == QLatin1String("--print"))
            out.print = true;
        else
            return false;
        return true;
    };
    const auto valued = [&](const QString& option, const QString& value) -> QString {
        if (option == QLatin1String("--year")) {
            out.input.yearText = value;
        } else if (option == QLatin1String("--month")) {
            return batch::readMonth(value, out.input.month);
        } else if (option == QLatin1String("--companies")) {
            const QStringList& names = groupCompanyNames();
            QList<int> numbers;
            if (value == QLatin1String("all")) {
                for (int bd = 1; bd <= names.size(); ++bd)
                    numbers << bd;
            } else {
                for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                    int bd = 0;
                    if (QString problem = batch::readCompany(part, bd); !problem.isEmpty())
                        return problem;
                    if (!numbers.contains(bd))
                        numbers << bd;
                }
            }
            // The screen handles the ticked companies in tab order.
            std::sort(numbers.begin(), numbers.end());
            for (const int bd : numbers)
                out.input.companies << CompanyTab{bd, names.at(bd - 1)};
            haveCompanies = true;
        } else if (option == QLatin1String("--data-folder")) {
            out.dataFolder = value;
        } else {
            return batch::unknownOption(option);
        }
        return {};
    };
    if (QString problem = batch::readOptions(args.mid(2), flag, valued); !problem.isEmpty())
        return problem;
    if (out.input.yearText.isEmpty() || out.input.month == 0 || !haveCompanies)
        return QStringLiteral("são precisos --year, --month e --companies");
    return {};
}

void printWritten(const CommandResult& result) {
    for (const auto& [bd, summary] : result.written) {
        const QString name = groupCompanyNames().at(bd - 1);
        if (summary.lines == 0 && summary.documents == 0) {
            std::printf("%s: sem movimentos de classe 9 no período\n", qPrintable(name));
            continue;
        }
        std::printf("%s: %d linhas escritas (%d de arredondamento), documentos %d a %d\n",
                    qPrintable(name), summary.lines, summary.roundingLines, summary.firstDocument,
                    summary.firstDocument + summary.documents - 1);
        for (const RoundingLine& rounding : summary.firstRoundingLines)
            std::printf("  arredondamento: documento %d, linha %d, %s %s na conta %s\n",
                        rounding.document, rounding.line, rounding.side == 1 ? "débito" : "crédito",
                        qPrintable(formatMoney(rounding.amount, 2, MoneyTextFormat::portuguese())),
                        qPrintable(rounding.account));
        if (const auto more =
                summary.roundingLines - static_cast<int>(summary.firstRoundingLines.size());
            more > 0)
            std::printf("  (e mais %d linhas de arredondamento)\n", more);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList all = QCoreApplication::arguments();
    if (all.size() > 1 && all[1] == QLatin1String("classe9"))
        return runClass9Command(all.mid(2));
    if (all.size() > 1 && all[1] == QLatin1String("folha")) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runSheetCommand(all.mid(2), out, err);
    }
    if (all.size() > 1 && all[1] == QLatin1String("verificar"))
        return runCheckCommand(all.mid(2), QCoreApplication::applicationDirPath());
    if (all.size() > 1 && all[1] == QLatin1String("estado"))
        return runBoardCommand(all.mid(2), QCoreApplication::applicationDirPath());
    if (all.size() > 1 && all[1] == QLatin1String("historico"))
        return runHistoryCommand(all.mid(2), QCoreApplication::applicationDirPath());
    if (all.size() > 1 && all[1] == QLatin1String("anular-importacao"))
        return runUndoImportCommand(all.mid(2), QCoreApplication::applicationDirPath());
    if (all.size() > 1 && all[1] == QLatin1String("importar"))
        return runImportCommand(all.mid(2), QCoreApplication::applicationDirPath());
    Arguments arguments;
    if (const QString problem = parse(QCoreApplication::arguments(), arguments); !problem.isEmpty())
        return usage(problem);

    const StartupFiles files =
        batch::startupFiles(QCoreApplication::applicationDirPath(), arguments.dataFolder);
    const std::unique_ptr<DataAccess> consolidated = batch::openConsolidated(files, stderr);
    if (!consolidated)
        return kExitError;

    // The offer to print the anomalies is accepted only with --print.
    batch::BatchPrompter prompter(arguments.yes);
    prompter.answerApart(
        [](const Prompt& prompt) { return prompt.text.startsWith(kPrintAnomaliesQuestion); },
        arguments.print);
    ConsolidationEnvironment environment(*consolidated, prompter, files.dataFolder);
    CommandResult result;
    if (arguments.command == QLatin1String("checkup"))
        result = runCheckUp(environment, arguments.input);
    else if (arguments.command == QLatin1String("consolidate"))
        result = runConsolidation(environment, arguments.input);
    else
        result = runCancellation(environment, arguments.input);
    printWritten(result);

    switch (result.outcome) {
        case CommandOutcome::Done:
            return kExitDone;
        case CommandOutcome::AnomaliesFound:
            std::printf("Anomalias em %s\n", qPrintable(result.anomaliesFile));
            return kExitAnomalies;
        case CommandOutcome::Cancelled:
            std::printf("Nada foi feito: a confirmação foi recusada (use --yes).\n");
            return kExitError;
        case CommandOutcome::FieldsMissing:
        case CommandOutcome::Failed:
            break;
    }
    return kExitError;
}
