#include "ledger/code_tables.h"

#include "core/null_safe.h"
#include "data/data_access.h"
#include "ledger/chart_of_accounts.h"

namespace agrimor {

namespace {

// Joins the values of a cache key made of several; no code holds this character.
QString key(const QString& code, int year, const QString& more = {}) {
    return code + QChar(0x1f) + QString::number(year) + QChar(0x1f) + more;
}

}  // namespace

bool CodeTables::answer(Test test, const QString& key, const QString& sql, const Params& params) {
    QHash<QString, bool>& answers = answers_[test];
    if (const auto known = answers.constFind(key); known != answers.cend())
        return *known;
    const bool valid = !company_.openReadOnly(sql, params).isEmpty();
    answers.insert(key, valid);
    return valid;
}

bool CodeTables::journalNumerator(const QString& journal, int year) {
    return answer(JournalNumerator, key(journal, year),
                  QStringLiteral("Select coalesce(Numerado,0) as NumDiario from NumDiar where "
                                 "Ano=? and Diario=? and Mes=0"),
                  {year, journal});
}

bool CodeTables::documentNumerator(const QString& type, int year, const QString& series) {
    return answer(DocumentNumerator, key(type, year, series),
                  QStringLiteral("Select coalesce(Num,0) as Numerador from NumDoc where Ano=? and "
                                 "Serie=? and Doc=?"),
                  {year, series, type});
}

bool CodeTables::account(const QString& account, int year) {
    QHash<QString, bool>& answers = answers_[Account];
    const QString accountKey = key(account, year);
    if (const auto known = answers.constFind(accountKey); known != answers.cend())
        return *known;
    const std::optional<ChartAccount> found = findChartAccount(company_, account, year);
    const bool valid = found && found->takesMovements();
    answers.insert(accountKey, valid);
    return valid;
}

bool CodeTables::documentType(const QString& code) {
    return answer(DocumentType, code, QStringLiteral("Select Codigo from TpDoc where Codigo=?"),
                  {code});
}

bool CodeTables::sector(const QString& code) {
    return answer(Sector, code, QStringLiteral("Select Codigo from Sectores where Codigo=?"),
                  {code});
}

bool CodeTables::journal(const QString& code) {
    return answer(Journal, code, QStringLiteral("Select Codigo from DIARIO where Codigo=?"),
                  {code});
}

bool CodeTables::budgetHeading(const QString& code) {
    return answer(BudgetHeading, code, QStringLiteral("Select Cod from RUBRORC where Cod=?"),
                  {code});
}

bool CodeTables::costCentre(const QString& code) {
    return answer(CostCentre, code, QStringLiteral("Select Cod from CCusto where Cod=?"), {code});
}

bool CodeTables::costing(const QString& code) {
    return answer(Costing, code, QStringLiteral("Select Custeio from Custeio where Custeio=?"),
                  {code});
}

bool CodeTables::vatCode(const QString& code, int year) {
    return answer(VatCode, key(code, year),
                  QStringLiteral("Select CodIVA from PLAIVA where CodIva=? and Exercicio=?"),
                  {code, year});
}

bool CodeTables::cashFlow(const QString& code, int year) {
    return answer(CashFlow, key(code, year),
                  QStringLiteral("Select CodFlux from PLFLUX where CodFlux=? and Exercicio=?"),
                  {code, year});
}

bool CodeTables::thirdParty(int kind, const QString& code) {
    if (kind == 1)
        return answer(Supplier, code, QStringLiteral("Select Codigo from Fornec where Codigo=?"),
                      {code});
    return answer(Customer, code, QStringLiteral("Select Codigo from Clientes where Codigo=?"),
                  {code});
}

std::optional<QString> vatAccount(DataAccess& company, const QString& code, int year) {
    const Recordset found = company.openReadOnly(
        QStringLiteral("Select CNTIVA from PLAIVA where CodIva=? and Exercicio=?"), {code, year});
    if (found.isEmpty())
        return std::nullopt;
    return nullSafeText(found.field(0));
}

}  // namespace agrimor
