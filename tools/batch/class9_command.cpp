#include "tools/batch/class9_command.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "class9/class9_commands.h"
#include "core/anomaly_list.h"
#include "core/companies.h"
#include "core/company_opening.h"
#include "core/console_prompter.h"
#include "data/company_connection.h"
#include "data/consolidated_database.h"
#include "data/data_folder.h"
#include "data/db_error.h"

namespace agrimor {

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitError = 1;
constexpr int kExitAccountsMissing = 2;

constexpr int kDiarioWidth = 3;  // MovCTB's Diario

const QString kReloadQuestion = QStringLiteral("Pretende carregar esses movimentos?");

int usage(const QString& problem) {
    std::fprintf(stderr, "agrimor-batch classe9: %s\n", qPrintable(problem));
    std::fprintf(stderr,
                 "usage: agrimor-batch classe9 --company N --year Y --month M --tpdoc T "
                 "--serie S --diario D [--reload] [--yes] [--data-folder DIR]\n");
    return kExitError;
}

// Prints every message; the reload question has its own answer, whatever --yes says, so that
// --reload without --yes shows the reloaded lines and writes nothing.
class BatchPrompter : public Prompter {
public:
    BatchPrompter(bool yes, bool reload) : answers_(yes), reloadAnswer_(reload) {}
    Answer ask(const Prompt& prompt) override {
        if (prompt.kind == PromptKind::OkCancel && prompt.text.endsWith(kReloadQuestion))
            return reloadAnswer_.ask(prompt);
        return answers_.ask(prompt);
    }

private:
    ConsolePrompter answers_;
    ConsolePrompter reloadAnswer_;
};

struct Arguments {
    Class9Input input;
    bool yes = false;
    bool reload = false;
    QString dataFolder;
};

QString parse(const QStringList& args, Arguments& out) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& option = args.at(i);
        if (option == QLatin1String("--yes")) {
            out.yes = true;
            continue;
        }
        if (option == QLatin1String("--reload")) {
            out.reload = true;
            continue;
        }
        if (i + 1 >= args.size())
            return QStringLiteral("falta o valor de %1").arg(option);
        const QString& value = args.at(++i);
        bool ok = true;
        if (option == QLatin1String("--company")) {
            out.input.bd = value.toInt(&ok);
            if (!ok || out.input.bd < 1 || out.input.bd > groupCompanyNames().size())
                return QStringLiteral("empresa inválida: %1 (1 a %2)")
                    .arg(value)
                    .arg(groupCompanyNames().size());
            out.input.companyName = groupCompanyNames().at(out.input.bd - 1);
        } else if (option == QLatin1String("--year")) {
            out.input.yearText = value;
        } else if (option == QLatin1String("--month")) {
            out.input.month = value.toInt(&ok);
            if (!ok || out.input.month < 1 || out.input.month > 12)
                return QStringLiteral("mês inválido: %1").arg(value);
        } else if (option == QLatin1String("--tpdoc")) {
            out.input.tpDoc = value;
        } else if (option == QLatin1String("--serie")) {
            out.input.serie = value;
        } else if (option == QLatin1String("--diario")) {
            out.input.diario = value;
        } else if (option == QLatin1String("--data-folder")) {
            out.dataFolder = value;
        } else {
            return QStringLiteral("opção desconhecida: %1").arg(option);
        }
    }
    if (out.input.bd == 0 || out.input.yearText.isEmpty() || out.input.month == 0)
        return QStringLiteral("são precisos --company, --year e --month");
    // The screen's fields take no more than MovCTB's columns hold; neither does the command, so
    // a code too long for the ERP's tables is never stored in the settings or written.
    const struct {
        const char* option;
        const QString& value;
        int width;
    } codes[] = {{"--tpdoc", out.input.tpDoc, Class9WorkingSet::kTpDocWidth},
                 {"--serie", out.input.serie, Class9WorkingSet::kSerieWidth},
                 {"--diario", out.input.diario, kDiarioWidth}};
    for (const auto& code : codes) {
        if (code.value.size() > code.width)
            return QStringLiteral("%1 tem mais de %2 caracteres: %3")
                .arg(QLatin1String(code.option))
                .arg(code.width)
                .arg(code.value);
    }
    return {};
}

// The lines the screen would refuse to write, as the grid shows them.
int printMissingAccounts(const Class9WorkingSet& set) {
    using W = Class9WorkingSet;
    int missing = 0;
    for (int row = 0; row < set.size(); ++row) {
        const QString general = set.value(row, W::ContaG).toText();
        if (general.isEmpty() || !set.value(row, W::Classe9).toText().isEmpty())
            continue;
        if (missing++ == 0)
            std::printf("Doc\tConta Geral\tData\tValor\tSinal\tDescritivo\n");
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", qPrintable(set.displayText(row, W::Doc)),
                    qPrintable(general), qPrintable(set.displayText(row, W::Data)),
                    qPrintable(set.value(row, W::Valor).toMoney().toString(2)),
                    qPrintable(set.displayText(row, W::Sinal)),
                    qPrintable(set.displayText(row, W::Descritivo)));
    }
    return missing;
}

}  // namespace

int runClass9Command(const QStringList& arguments) {
    Arguments args;
    if (const QString problem = parse(arguments, args); !problem.isEmpty())
        return usage(problem);

    StartupFiles files = locateStartupFiles(QCoreApplication::applicationDirPath());
    if (!args.dataFolder.isEmpty()) {
        files.dataFolder = QDir::cleanPath(QDir(args.dataFolder).absolutePath());
        files.configFile = QDir(files.dataFolder).filePath(QStringLiteral("Agrimor.zeb"));
    }
    std::unique_ptr<DataAccess> consolidated;
    try {
        consolidated = openConsolidatedDatabase(files);
    } catch (const StartupError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return kExitError;
    }

    BatchPrompter prompter(args.yes, args.reload);
    std::unique_ptr<DataAccess> company;
    try {
        const CompanyParameters parameters = readCompanyParameters(*consolidated, args.input.bd);
        if (!parameters.found) {
            std::printf("Faltam os parâmetros de ligação à Empresa %s!\n",
                        qPrintable(args.input.companyName));
            return kExitError;
        }
        AnomalyList anomalies;
        company = connectCompany(*consolidated, parameters,
                                 CompanyOpenFailureReport::toAnomalies(anomalies));
    } catch (const DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return kExitError;
    }

    Class9State state;
    Class9Environment environment{*consolidated, company.get(), prompter};
    if (loadClass9(environment, args.input, state) != Class9Outcome::Done)
        return kExitError;
    std::printf("%d linhas carregadas.\n", state.set().size());
    if (printMissingAccounts(state.set()) > 0) {
        std::printf("Existem Contas Classe 9 não preenchidas!\n");
        return kExitAccountsMissing;
    }
    const Class9ConfirmResult result = confirmClass9(environment, args.input, state);
    if (result.outcome != Class9Outcome::Done) {
        if (result.outcome == Class9Outcome::Cancelled)
            std::printf("Nada foi escrito: a confirmação foi recusada (use --yes).\n");
        return kExitError;
    }
    if (state.mode == Class9LoadMode::Derived) {
        const Class9WriteSummary& written = result.written;
        std::printf("%s: %d linhas escritas em %d documentos (%lld a %lld)",
                    qPrintable(args.input.companyName), written.lines, written.documents,
                    static_cast<long long>(written.firstDocument),
                    static_cast<long long>(written.firstDocument + written.documents - 1));
        if (written.vanished > 0)
            std::printf(", %d linhas de origem já não existiam", written.vanished);
        std::printf(".\n");
    } else {
        std::printf("%s: %d contas alteradas, %d sem alteração.\n",
                    qPrintable(args.input.companyName), result.updated.changed,
                    result.updated.unchanged);
    }
    return kExitWritten;
}

}  // namespace agrimor
