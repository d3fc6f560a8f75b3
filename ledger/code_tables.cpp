#include "ledger/code_tables.h"

#include <algorithm>
#include <iterator>

#include "core/null_safe.h"
#include "data/data_access.h"
#include "ledger/chart_of_accounts.h"

namespace agrimor {

namespace {

// Joins the values of a cache key made of several; no code holds this character.
QString key(const QString& code, int year, const QString& more = {}) {
    return code + QChar(0x1f) + QString::number(year) + QChar(0x1f) + more;
}

// The columns a test's query reads, then the rest of it. A row found is a yes, but for an account:
// the chart's level (the last column) says whether it takes movements.
struct Query {
    const char* select;
    const char* rest;
};

// By CodeTables::Test.
constexpr Query kQueries[] = {
    {"Select coalesce(Numerado,0) as NumDiario", "from NumDiar where Ano=? and Diario=? and Mes=0"},
    {"Select coalesce(Num,0) as Numerador", "from NumDoc where Ano=? and Serie=? and Doc=?"},
    {"Select NivInt", "from POC where Conta=? and Exercicio=?"},
    {"Select Codigo", "from TpDoc where Codigo=?"},
    {"Select Codigo", "from Sectores where Codigo=?"},
    {"Select Codigo", "from DIARIO where Codigo=?"},
    {"Select Cod", "from RUBRORC where Cod=?"},
    {"Select Cod", "from CCusto where Cod=?"},
    {"Select Custeio", "from Custeio where Custeio=?"},
    {"Select CodIVA", "from PLAIVA where CodIva=? and Exercicio=?"},
    {"Select CodFlux", "from PLFLUX where CodFlux=? and Exercicio=?"},
    {"Select Codigo", "from Fornec where Codigo=?"},
    {"Select Codigo", "from Clientes where Codigo=?"},
};

static_assert(std::size(kQueries) == CodeTables::kTestCount);

// Which code of a statement of lookUp() a row answers for, and what it found.
class Found : public RowSink {
public:
    explicit Found(bool levels) : levels_(levels) {}
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>& values) override {
        const int code = static_cast<int>(values.at(0).toInt());
        if (!answers_.contains(code))
            answers_.insert(code, !levels_ || values.at(1).isNull() || values.at(1).toInt() == 0);
        return true;
    }
    // Whether the code is there (and, for an account, takes movements).
    bool answer(int code) const { return answers_.value(code, false); }

private:
    bool levels_;
    QHash<int, bool> answers_;
};

}  // namespace

bool CodeTables::answer(Test test, const QString& key, const Params& params) {
    QHash<QString, bool>& answers = answers_[test];
    if (const auto known = answers.constFind(key); known != answers.cend())
        return *known;
    if (collecting_) {
        if (!askedKeys_[test].contains(key)) {
            askedKeys_[test].insert(key, true);
            asked_[test].push_back({key, params});
        }
        return true;
    }
    const Query& query = kQueries[test];
    const bool valid =
        !company_
             .openReadOnly(
                 QLatin1String(query.select) + QLatin1Char(' ') + QLatin1String(query.rest), params)
             .isEmpty();
    answers.insert(key, valid);
    return valid;
}

void CodeTables::lookUpAtOnce(const std::function<void()>& ask) {
    collecting_ = true;
    try {
        ask();
    } catch (...) {
        collecting_ = false;
        asked_ = {};
        askedKeys_ = {};
        throw;
    }
    collecting_ = false;
    for (int test = 0; test < TestCount; ++test)
        lookUp(static_cast<Test>(test));
    asked_ = {};
    askedKeys_ = {};
}

void CodeTables::lookUp(Test test) {
    const std::vector<Asked>& asked = asked_[test];
    const QString rest = QLatin1String(kQueries[test].rest);
    for (std::size_t first = 0; first < asked.size(); first += kCodesAtOnce) {
        const std::size_t count = std::min<std::size_t>(kCodesAtOnce, asked.size() - first);
        // Padded to a power of two with the last code again, so that few texts are prepared.
        std::size_t padded = 1;
        while (padded < count)
            padded *= 2;
        QString sql;
        Params params;
        for (std::size_t i = 0; i < padded; ++i) {
            if (i > 0)
                sql += QStringLiteral(" union all ");
            sql += QStringLiteral("Select ") + QString::number(i) +
                   (i == 0 ? QStringLiteral(" as n") : QString()) +
                   (test == Account ? QStringLiteral(", NivInt ") : QStringLiteral(" ")) + rest;
            params << asked[first + std::min(i, count - 1)].params;
        }
        Found found(test == Account);
        company_.queryEach(sql, params, found);
        for (std::size_t i = 0; i < count; ++i)
            answers_[test].insert(asked[first + i].key, found.answer(static_cast<int>(i)));
    }
}

bool CodeTables::journalNumerator(const QString& journal, int year) {
    return answer(JournalNumerator, key(journal, year), {year, journal});
}

bool CodeTables::documentNumerator(const QString& type, int year, const QString& series) {
    return answer(DocumentNumerator, key(type, year, series), {year, series, type});
}

bool CodeTables::account(const QString& account, int year) {
    QHash<QString, bool>& answers = answers_[Account];
    const QString accountKey = key(account, year);
    if (collecting_ || answers.contains(accountKey))
        return answer(Account, accountKey, {account, year});
    const std::optional<ChartAccount> found = findChartAccount(company_, account, year);
    const bool valid = found && found->takesMovements();
    answers.insert(accountKey, valid);
    return valid;
}

bool CodeTables::documentType(const QString& code) {
    return answer(DocumentType, code, {code});
}

bool CodeTables::sector(const QString& code) {
    return answer(Sector, code, {code});
}

bool CodeTables::journal(const QString& code) {
    return answer(Journal, code, {code});
}

bool CodeTables::budgetHeading(const QString& code) {
    return answer(BudgetHeading, code, {code});
}

bool CodeTables::costCentre(const QString& code) {
    return answer(CostCentre, code, {code});
}

bool CodeTables::costing(const QString& code) {
    return answer(Costing, code, {code});
}

bool CodeTables::vatCode(const QString& code, int year) {
    return answer(VatCode, key(code, year), {code, year});
}

bool CodeTables::cashFlow(const QString& code, int year) {
    return answer(CashFlow, key(code, year), {code, year});
}

bool CodeTables::thirdParty(int kind, const QString& code) {
    if (kind == 1)
        return answer(Supplier, code, {code});
    return answer(Customer, code, {code});
}

std::optional<QString> vatAccount(DataAccess& company, const QString& code, int year) {
    const Recordset found = company.openReadOnly(
        QStringLiteral("Select CNTIVA from PLAIVA where CodIva=? and Exercicio=?"), {code, year});
    if (found.isEmpty())
        return std::nullopt;
    return nullSafeText(found.field(0));
}

}  // namespace agrimor
