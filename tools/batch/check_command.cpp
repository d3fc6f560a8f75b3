#include "tools/batch/check_command.h"

#include <cstdio>

#include "core/companies.h"
#include "data/consolidated_database.h"
#include "data/data_access.h"
#include "data/startup_error.h"
#include "ledger/server_check.h"
#include "tools/batch/batch_support.h"

namespace agrimor {

namespace {

constexpr int kExitAllPassed = 0;
constexpr int kExitNothingChecked = 1;
constexpr int kExitSomethingWrong = 2;

int usage(const QString& problem) {
    std::fprintf(stderr, "agrimor-batch verificar: %s\n", qPrintable(problem));
    std::fprintf(stderr, "usage: agrimor-batch verificar [--company N] [--data-folder DIR]\n");
    return kExitNothingChecked;
}

}  // namespace

int runCheckCommand(const QStringList& arguments, const QString& executableFolder) {
    int bd = 0;
    QString dataFolder;
    const auto valued = [&](const QString& option, const QString& value) -> QString {
        if (option == QLatin1String("--company"))
            return batch::readCompany(value, bd);
        if (option == QLatin1String("--data-folder"))
            dataFolder = value;
        else
            return batch::unknownOption(option);
        return {};
    };
    if (const QString problem = batch::readOptions(
            arguments, [](const QString&) { return false; }, valued);
        !problem.isEmpty())
        return usage(problem);

    std::unique_ptr<DataAccess> consolidated;
    try {
        consolidated = openConsolidatedDatabase(batch::startupFiles(executableFolder, dataFolder),
                                                OwnTables::LeaveAsTheyAre);
    } catch (const StartupError& error) {
        std::printf("Base de dados consolidada: %s\n", error.message().toUtf8().constData());
        return kExitNothingChecked;
    }

    ServerCheck check(*consolidated);
    check.checkConsolidated();
    if (bd != 0) {
        check.checkCompany(bd);
    } else {
        for (int company = 1; company <= groupCompanyNames().size(); ++company)
            check.checkCompany(company);
    }
    for (const CheckLine& line : check.lines())
        std::printf("%s\n", line.text().toUtf8().constData());
    return check.allPassed() ? kExitAllPassed : kExitSomethingWrong;
}

}  // namespace agrimor
