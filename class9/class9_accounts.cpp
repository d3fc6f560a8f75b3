#include "class9/class9_accounts.h"

#include "class9/class9_commands.h"
#include "class9/class9_error.h"
#include "core/message_box.h"
#include "data/data_access.h"

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
    Recordset rows = company.openReadOnly(
        QStringLiteral(
            "SELECT Conta, Descr FROM POC WHERE Exercicio=? AND Conta LIKE '9%' ORDER BY Conta"),
        {chartYear(yearText)});
    for (; !rows.eof(); rows.moveNext())
        accounts.push_back({rows.field(0).toText(), rows.field(1).toText()});
    return accounts;
}

bool validateClass9Account(DataAccess& company, Prompter& prompter, const QString& yearText,
                           const QString& typed) {
    const QString account = typed.trimmed();
    if (account.isEmpty()) {
        mandatoryField(prompter, QStringLiteral("Conta"));
        return false;
    }
    const Recordset row =
        company.openReadOnly(QStringLiteral("SELECT * FROM POC where Conta=? and Exercicio=?"),
                             {typed, chartYear(yearText)});
    if (row.isEmpty()) {
        inform(prompter, QStringLiteral("Conta não existente!"));
        return false;
    }
    if (!row.field(QStringLiteral("Conta")).toText().startsWith(QLatin1Char('9'))) {
        inform(prompter, QStringLiteral("Conta Inválida!"));
        return false;
    }
    return true;
}

}  // namespace agrimor
