#include "class9/class9_accounts.h"

#include "class9/class9_commands.h"
#include "class9/class9_error.h"
#include "core/message_box.h"
#include "ledger/chart_of_accounts.h"

namespace agrimor {

namespace {

// The typed year as the chart's Exercicio; 0 (no chart) when it is not a year.
int chartYear(const QString& yearText) {
    try {
        return parseClass9Year(yearText);
    } catch (const Class9Error&) {
        return 0;
    }
}

}  // namespace

std::vector<Class9Account> listClass9Accounts(DataAccess& company, const QString& yearText) {
    std::vector<Class9Account> accounts;
    for (const ChartAccount& account :
         chartAccountsStartingWith(company, chartYear(yearText), QStringLiteral("9")))
        accounts.push_back({account.conta, account.descr});
    return accounts;
}

bool validateClass9Account(DataAccess& company, Prompter& prompter, const QString& yearText,
                           const QString& typed) {
    const QString account = typed.trimmed();
    if (account.isEmpty()) {
        mandatoryField(prompter, QStringLiteral("Conta"));
        return false;
    }
    const std::optional<ChartAccount> found = findChartAccount(company, typed, chartYear(yearText));
    if (!found) {
        inform(prompter, QStringLiteral("Conta não existente!"));
        return false;
    }
    if (!found->conta.startsWith(QLatin1Char('9'))) {
        inform(prompter, QStringLiteral("Conta Inválida!"));
        return false;
    }
    return true;
}

}  // namespace agrimor
