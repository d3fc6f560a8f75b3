#include "tools/batch/batch_support.h"

#include <QDir>

#include "core/companies.h"
#include "core/company_opening.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/consolidated_database.h"
#include "data/data_access.h"
#include "data/startup_error.h"

namespace agrimor::batch {

QString readOptions(const QStringList& args, const std::function<bool(const QString&)>& flag,
                    const std::function<QString(const QString&, const QString&)>& valued,
                    const std::function<QString(const QString&)>& positional) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString problem;
        if (flag(arg))
            continue;
        if (positional && !arg.startsWith(QLatin1String("--")))
            problem = positional(arg);
        else if (i + 1 >= args.size())
            problem = QStringLiteral("falta o valor de %1").arg(arg);
        else
            problem = valued(arg, args.at(++i));
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

QString unknownOption(const QString& option) {
    return QStringLiteral("opção desconhecida: %1").arg(option);
}

QString readCompany(const QString& value, int& bd) {
    bool ok = false;
    bd = value.trimmed().toInt(&ok);
    const qsizetype count = groupCompanyNames().size();
    if (!ok || bd < 1 || bd > count)
        return QStringLiteral("empresa inválida: %1 (1 a %2)").arg(value).arg(count);
    return {};
}

QString readMonth(const QString& value, int& month) {
    bool ok = false;
    month = value.toInt(&ok);
    if (!ok || month < 1 || month > 12)
        return QStringLiteral("mês inválido: %1").arg(value);
    return {};
}

StartupFiles startupFiles(const QString& executableFolder, const QString& dataFolder) {
    StartupFiles files = locateStartupFiles(executableFolder);
    if (!dataFolder.isEmpty()) {
        files.dataFolder = QDir::cleanPath(QDir(dataFolder).absolutePath());
        files.configFile = QDir(files.dataFolder).filePath(QStringLiteral("Agrimor.zeb"));
    }
    return files;
}

std::unique_ptr<DataAccess> openConsolidated(const StartupFiles& files, std::FILE* err) {
    try {
        return openConsolidatedDatabase(files);
    } catch (const StartupError& error) {
        std::fprintf(err, "%s\n", error.message().toUtf8().constData());
        std::fflush(err);
        return nullptr;
    }
}

bool openCompany(DataAccess& consolidated, int bd, Prompter& prompter,
                 const CompanyOpenFailureReport& onFailure, std::FILE* err,
                 std::unique_ptr<DataAccess>& company) {
    try {
        const CompanyParameters parameters = readCompanyParameters(consolidated, bd);
        if (!parameters.found) {
            inform(prompter, companyParametersMissing(groupCompanyNames().at(bd - 1)));
            return false;
        }
        company = connectCompany(consolidated, parameters, onFailure);
        return true;
    } catch (const Error& error) {
        std::fprintf(err, "%s\n", errorText(error).toUtf8().constData());
        std::fflush(err);
        return false;
    }
}

}  // namespace agrimor::batch
