#include "tools/batch/board_command.h"

#include "consolidation/consolidation_error.h"
#include "consolidation/processing_input.h"
#include "data/consolidated_database.h"
#include "data/data_access.h"
#include "data/error.h"
#include "monthboard/month_board.h"
#include "tools/batch/batch_support.h"

namespace agrimor {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitError = 1;

int usage(std::FILE* err, const QString& problem) {
    std::fprintf(err, "agrimor-batch estado: %s\n", qPrintable(problem));
    std::fprintf(err, "usage: agrimor-batch estado --year Y [--month M] [--data-folder DIR]\n");
    return kExitError;
}

}  // namespace

int runBoardCommand(const QStringList& arguments, const QString& executableFolder, std::FILE* out,
                    std::FILE* err) {
    QString yearText;
    int month = 0;
    QString dataFolder;
    const auto valued = [&](const QString& option, const QString& value) -> QString {
        if (option == QLatin1String("--year"))
            yearText = value;
        else if (option == QLatin1String("--month"))
            return batch::readMonth(value, month);
        else if (option == QLatin1String("--data-folder"))
            dataFolder = value;
        else
            return batch::unknownOption(option);
        return {};
    };
    if (const QString problem = batch::readOptions(
            arguments, [](const QString&) { return false; }, valued);
        !problem.isEmpty())
        return usage(err, problem);
    if (yearText.isEmpty())
        return usage(err, QStringLiteral("é preciso --year"));
    int year = 0;
    try {
        year = parseYear(yearText);
    } catch (const ConsolidationError& error) {
        return usage(err, error.message());
    }

    try {
        const std::unique_ptr<DataAccess> consolidated = openConsolidatedDatabase(
            batch::startupFiles(executableFolder, dataFolder), OwnTables::LeaveAsTheyAre);
        const MonthBoard board = readMonthBoard(*consolidated, year);
        std::fprintf(out, "%s\n", boardHeader().toUtf8().constData());
        for (const BoardCompany& company : board.companies) {
            if (!company.problem.isEmpty())
                std::fprintf(err, "%s: %s\n", qPrintable(company.name),
                             company.problem.toUtf8().constData());
            for (const BoardCell& cell : company.months)
                if (month == 0 || cell.month == month)
                    std::fprintf(out, "%s\n", boardLine(company, cell).toUtf8().constData());
        }
    } catch (const Error& error) {
        std::fprintf(err, "agrimor-batch estado: %s\n", error.message().toUtf8().constData());
        return kExitError;
    }
    return kExitDone;
}

}  // namespace agrimor
