#include "tools/batch/import_command.h"

#include "core/companies.h"
#include "core/company_opening.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/data_access.h"
#include "movimport/import_command.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "tools/batch/batch_support.h"
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
    const auto flag = [&out](const QString& option) {
        if (option == QLatin1String("--check"))
            out.check = true;
        else if (option == QLatin1String("--yes"))
            out.yes = true;
        else
            return false;
        return true;
    };
    const auto valued = [&out](const QString& option, const QString& value) -> QString {
        if (option == QLatin1String("--company"))
            return batch::readCompany(value, out.company);
        if (option == QLatin1String("--sheet"))
            out.sheet = value;
        else if (option == QLatin1String("--data-folder"))
            out.dataFolder = value;
        else
            return batch::unknownOption(option);
        return {};
    };
    const auto positional = [&out](const QString& arg) -> QString {
        if (!out.book.isEmpty())
            return QStringLiteral("argumento a mais: %1").arg(arg);
        out.book = arg;
        return {};
    };
    if (QString problem = batch::readOptions(args, flag, valued, positional); !problem.isEmpty())
        return problem;
    if (out.book.isEmpty() || out.company == 0)
        return QStringLiteral("são precisos o livro e --company");
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

    const StartupFiles files = batch::startupFiles(executableFolder, args.dataFolder);
    const std::unique_ptr<DataAccess> consolidated = batch::openConsolidated(files, err);
    if (!consolidated)
        return kExitError;

    batch::BatchPrompter prompter(args.yes, out);
    std::unique_ptr<DataAccess> company;
    if (!batch::openCompany(*consolidated, args.company, prompter,
                            CompanyOpenFailureReport::toUser(prompter), err, company) ||
        !company)
        return kExitError;
    const QString name = groupCompanyNames().at(args.company - 1);

    ImportLinesTable lines;
    ImportDocumentsTable documents;
    QString sheet = args.sheet;
    try {
        const auto workbook = Workbook::open(args.book);
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
    environment.consolidated = consolidated.get();
    environment.bd = args.company;
    environment.workbookFile = args.book;
    environment.sheet = sheet;
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
