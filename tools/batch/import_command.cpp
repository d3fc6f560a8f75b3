#include "tools/batch/import_command.h"

#include <QDir>

#include "core/companies.h"
#include "core/company_opening.h"
#include "core/console_prompter.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/consolidated_database.h"
#include "data/db_error.h"
#include "movimport/import_command.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "workbook/workbook.h"
#include "workbook/workbook_error.h"

namespace agrimor {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitError = 1;
constexpr int kExitAnomalies = 2;

struct Arguments {
    QString book;
    int company = 0;
    QString sheet;
    bool check = false;
    bool yes = false;
    QString dataFolder;
};

// Empty when the arguments are right; otherwise what is wrong.
QString parse(const QStringList& args, Arguments& out) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--check")) {
            out.check = true;
        } else if (arg == QLatin1String("--yes")) {
            out.yes = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            if (i + 1 >= args.size())
                return QStringLiteral("falta o valor de %1").arg(arg);
            const QString& value = args.at(++i);
            if (arg == QLatin1String("--company")) {
                bool ok = false;
                out.company = value.toInt(&ok);
                if (!ok || out.company < 1 || out.company > groupCompanyNames().size())
                    return QString::fromUtf8("empresa inválida: %1 (1 a %2)")
                        .arg(value)
                        .arg(groupCompanyNames().size());
            } else if (arg == QLatin1String("--sheet")) {
                out.sheet = value;
            } else if (arg == QLatin1String("--data-folder")) {
                out.dataFolder = value;
            } else {
                return QString::fromUtf8("opção desconhecida: %1").arg(arg);
            }
        } else if (out.book.isEmpty()) {
            out.book = arg;
        } else {
            return QStringLiteral("argumento a mais: %1").arg(arg);
        }
    }
    if (out.book.isEmpty() || out.company == 0)
        return QString::fromUtf8("são precisos o livro e --company");
    return {};
}

void print(std::FILE* file, const QString& text) {
    std::fputs(text.toUtf8().constData(), file);
    std::fflush(file);
}

}  // namespace

int runImportCommand(const QStringList& arguments, const QString& executableFolder, std::FILE* out,
                     std::FILE* err) {
    Arguments args;
    if (const QString problem = parse(arguments, args); !problem.isEmpty()) {
        print(err, QStringLiteral("agrimor-batch importar: %1\nuso: agrimor-batch importar <livro> "
                                  "--company N [--sheet NOME] [--check] [--yes] "
                                  "[--data-folder DIR]\n")
                       .arg(problem));
        return kExitError;
    }

    StartupFiles files = locateStartupFiles(executableFolder);
    if (!args.dataFolder.isEmpty()) {
        files.dataFolder = QDir::cleanPath(QDir(args.dataFolder).absolutePath());
        files.configFile = QDir(files.dataFolder).filePath(QStringLiteral("Agrimor.zeb"));
    }
    std::unique_ptr<DataAccess> consolidated;
    try {
        consolidated = openConsolidatedDatabase(files);
    } catch (const StartupError& error) {
        print(err, error.message() + QLatin1Char('\n'));
        return kExitError;
    }

    ConsolePrompter prompter(args.yes, out);
    const QString name = groupCompanyNames().at(args.company - 1);
    std::unique_ptr<DataAccess> company;
    try {
        const CompanyParameters parameters = readCompanyParameters(*consolidated, args.company);
        if (!parameters.found) {
            inform(prompter, QString::fromUtf8("Faltam os parâmetros de ligação à Empresa ") +
                                 name + QLatin1Char('!'));
            return kExitError;
        }
        company =
            connectCompany(*consolidated, parameters, CompanyOpenFailureReport::toUser(prompter));
    } catch (const Error& error) {
        print(err, errorText(error) + QLatin1Char('\n'));
        return kExitError;
    }
    if (!company)
        return kExitError;

    ImportLinesTable lines;
    ImportDocumentsTable documents;
    try {
        const auto workbook = Workbook::open(args.book);
        QString sheet = args.sheet;
        if (sheet.isEmpty()) {
            if (workbook->sheetNames().isEmpty())
                throw WorkbookError(WorkbookError::kTypeMismatch,
                                    QStringLiteral("O livro %1 não tem folhas.").arg(args.book));
            sheet = workbook->sheetNames().front();
        }
        readMovementSheet(*workbook, sheet, lines, documents);
    } catch (const Error& error) {
        inform(prompter, errorText(error, ErrorNumber::Shown));
        return kExitError;
    }

    ImportEnvironment environment(company.get(), prompter, name, files.dataFolder);
    environment.showTotals = [out](const ImportTotals& totals) { print(out, totalsText(totals)); };
    const ImportResult result =
        args.check ? runImportCheck(environment, lines) : runImport(environment, lines);
    switch (result.outcome) {
        case ImportOutcome::Written:
            for (const WrittenDocument& document : result.written.documents) {
                print(out,
                      QString::fromUtf8("%1: documento %2 %3/%4, diário %5/%6, %7 linhas\n")
                          .arg(document.key, document.numbering.type, document.numbering.series)
                          .arg(document.numbers.document)
                          .arg(document.numbering.journal)
                          .arg(document.numbers.journal)
                          .arg(document.lines));
            }
            return kExitDone;
        case ImportOutcome::Clean:
            return kExitDone;
        case ImportOutcome::AnomaliesFound:
            return kExitAnomalies;
        case ImportOutcome::Cancelled:
            print(out, QString::fromUtf8("Nada foi importado: a confirmação foi recusada (use "
                                         "--yes).\n"));
            return kExitError;
        case ImportOutcome::NothingToImport:
        case ImportOutcome::Failed:
            break;
    }
    return kExitError;
}

}  // namespace agrimor
