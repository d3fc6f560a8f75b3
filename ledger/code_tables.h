#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <optional>

#include "data/value.h"

namespace agrimor {

class DataAccess;

// The code tables of one database that the checks read: whether a code is there. Each test answers
// whether its query finds a row; the answer is kept per distinct code (and year), so a sheet of
// many lines that repeats few codes sends one statement per distinct code and test. Codes are bound
// as parameters: a quote in a code is data and finds the same rows as the code itself would.
class CodeTables {
public:
    explicit CodeTables(DataAccess& company) : company_(company) {}

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

    // The kept answer of `test` for `key`, or the answer of its query (`sql` with `params`): a row
    // found.
    bool answer(Test test, const QString& key, const QString& sql, const Params& params);

    DataAccess& company_;
    std::array<QHash<QString, bool>, TestCount> answers_;
};

// The VAT account (PLAIVA's CNTIVA) of a VAT code in a year: none when PLAIVA has no such code for
// the year, an empty text when the code has no account. Throws DbError.
std::optional<QString> vatAccount(DataAccess& company, const QString& code, int year);

}  // namespace agrimor
