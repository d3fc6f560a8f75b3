#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "data/value.h"

namespace agrimor {

class DataAccess;

// The code tables of one database that the checks read: whether a code is there. Each test answers
// whether its query finds a row; the answer is kept per distinct code (and year), so a sheet of
// many lines that repeats few codes sends one statement per distinct code and test, or, asked
// beforehand through lookUpAtOnce(), one statement per test for up to kCodesAtOnce codes. Codes
// are bound as parameters: a quote in a code is data and finds the same rows as the code itself
// would.
class CodeTables {
public:
    static constexpr int kCodesAtOnce = 64;

    explicit CodeTables(DataAccess& company) : company_(company) {}

    // Runs `ask`, which makes the tests below, with every test answering yes and nothing read;
    // then looks every code they asked about up at once (each test's query for each code, joined
    // by UNION ALL) and keeps the answers, so that the same tests made after send nothing.
    void lookUpAtOnce(const std::function<void()>& ask);

    bool journalNumerator(const QString& journal, int year);                       // NumDiar, Mes 0
    bool documentNumerator(const QString& type, int year, const QString& series);  // NumDoc
    // The account exists in the year's chart and takes movements (NivInt 0 or null).
    bool account(const QString& account, int year);
    bool documentType(const QString& code);        // TpDoc
    bool sector(const QString& code);              // Sectores
    bool journal(const QString& code);             // DIARIO
    bool budgetHeading(const QString& code);       // RUBRORC
    bool costCentre(const QString& code);          // CCusto
    bool costing(const QString& code);             // Custeio
    bool vatCode(const QString& code, int year);   // PLAIVA
    bool cashFlow(const QString& code, int year);  // PLFLUX
    // Kind 1 among the suppliers (Fornec), any other kind among the customers (Clientes).
    bool thirdParty(int kind, const QString& code);

    static constexpr int kTestCount = 13;

private:
    enum Test {
        JournalNumerator,
        DocumentNumerator,
        Account,
        DocumentType,
        Sector,
        Journal,
        BudgetHeading,
        CostCentre,
        Costing,
        VatCode,
        CashFlow,
        Supplier,
        Customer,
        TestCount
    };
    static_assert(TestCount == kTestCount);

    // The kept answer of `test` for `key`, or the answer of its query with `params`: a row found.
    // While collecting, the code is noted and the answer is yes.
    bool answer(Test test, const QString& key, const Params& params);
    // Looks up the codes asked for `test` while collecting, kCodesAtOnce a statement.
    void lookUp(Test test);

    struct Asked {
        QString key;
        Params params;
    };

    DataAccess& company_;
    std::array<QHash<QString, bool>, TestCount> answers_;
    bool collecting_ = false;
    std::array<std::vector<Asked>, TestCount> asked_;
    std::array<QHash<QString, bool>, TestCount> askedKeys_;
};

// The VAT account (PLAIVA's CNTIVA) of a VAT code in a year: none when PLAIVA has no such code for
// the year, an empty text when the code has no account. Throws DbError.
std::optional<QString> vatAccount(DataAccess& company, const QString& code, int year);

}  // namespace agrimor
