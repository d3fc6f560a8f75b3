#include "tools/batch/class9_command.h"

#include <QCoreApplication>
#include <cstdio>

#include "class9/class9_commands.h"
#include "core/anomaly_list.h"
#include "core/companies.h"
#include "core/company_opening.h"
#include "data/data_access.h"
#include "ledger/erp_tables.h"
#include "tools/batch/batch_support.h"

namespace agrimor {

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitError = 1;
constexpr int kExitAccountsMissing = 2;

const QString kReloadQuestion = QStringLiteral("Pretende carregar esses movimentos?");

int usage(const QString& problem) {
    std::fprintf(stderr, "agrimor-batch classe9: %s\n", qPrintable(problem));
    std::fprintf(stderr,
                 "usage: agrimor-batch classe9 --company N --year Y --month M --tpdoc T "
                 "--serie S --diario D [--reload] [--yes] [--data-folder DIR]\n");
    return kExitError;
}

struct Arguments {
    Class9Input input;
    bool yes = false;
    bool reload = false;
    QString dataFolder;
};

QString parse(const QStringList& args, Arguments& out) {
    const auto flag = [&out](const QString& option) {
        if (option == QLatin1String("--yes"))
            out.yes = true;
        else if (option == QLatin1String("--reload"))
            out.reload = true;
        else
            return false;
        return true;
    };
    const auto valued = [&out](const QString& option, const QString& value) -> QString {
        if (option == QLatin1String("--company")) {
            if (QString problem = batch::readCompany(value, out.input.bd); !problem.isEmpty())
                return problem;
            out.input.companyName = groupCompanyNames().at(out.input.bd - 1);
        } else if (option == QLatin1String("--year")) {
            out.input.yearText = value;
        } else if (option == QLatin1String("--month")) {
            return batch::readMonth(value, out.input.month);
        } else if (option == QLatin1String("--tpdoc")) {
            out.input.tpDoc = value;
        } else if (option == QLatin1String("--serie")) {
            out.input.serie = value;
        } else if (option == QLatin1String("--diario")) {
            out.input.diario = value;
        } else if (option == QLatin1String("--data-folder")) {
            out.dataFolder = value;
        } else {
            return batch::unknownOption(option);
        }
        return {};
    };
    if (QString problem = batch::readOptions(args, flag, valued); !problem.isEmpty())
        return problem;
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
                 {"--diario", out.input.diario, erp::columnWidth("MovCTB", "Diario")}};
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

    const std::unique_ptr<DataAccess> consolidated = batch::openConsolidated(
        batch::startupFiles(QCoreApplication::applicationDirPath(), args.dataFolder), stderr);
    if (!consolidated)
        return kExitError;

    // The reload question has its own answer, whatever --yes says, so that --reload without
    // --yes shows the reloaded lines and writes nothing.
    batch::BatchPrompter prompter(args.yes);
    prompter.answerApart(
        [](const Prompt& prompt) {
            return prompt.kind == PromptKind::OkCancel && prompt.text.endsWith(kReloadQuestion);
        },
        args.reload);
    // A company that can not be reached is told by the load, as on screen.
    AnomalyList anomalies;
    std::unique_ptr<DataAccess> company;
    if (!batch::openCompany(*consolidated, args.input.bd, prompter,
                            CompanyOpenFailureReport::toAnomalies(anomalies), stderr, company))
        return kExitError;

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
