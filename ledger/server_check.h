#pragma once

#include <QList>
#include <QString>

namespace agrimor {

class DataAccess;
struct CompanyParameters;

// One finding of the check of the servers: what was checked and "ok" or what is wrong.
struct CheckLine {
    QString subject;
    QString problem;  // empty: ok
    bool ok() const { return problem.isEmpty(); }
    QString text() const;  // "subject: ok" or "subject: problem"
};

// Checks, before going live, that the program can work with a site's databases, without changing
// them: what is tried out is tried inside a transaction that is rolled back.
//
// The consolidated database: the program's own tables exist with the columns and types it
// expects, or start-up can create or bring them up to date (tried); every ERP table and column the
// program reads or writes (erpTablesLayout()) exists with a type it can bind; a date-time with
// milliseconds is written, found again by its value and changed with a one-row update. Each
// company: its database opens with its stored parameters and holds the ERP tables as above.
// The column types come from the catalogue the dialect reads (Dialect::columnsQuery()).
class ServerCheck {
public:
    explicit ServerCheck(DataAccess& consolidated) : consolidated_(consolidated) {}

    void checkConsolidated();
    // Company `bd` with its stored parameters; none stored is a finding.
    void checkCompany(int bd);
    // Company `bd` with the parameters given (as typed on its parameters screen).
    void checkCompany(int bd, const CompanyParameters& parameters);

    const QList<CheckLine>& lines() const { return lines_; }
    bool allPassed() const;

private:
    void checkErpTables(DataAccess& db, const QString& database);
    void checkOwnTables();
    CheckLine checkDateAndOneRowUpdate();
    void add(const QString& subject, const QString& problem = {});

    DataAccess& consolidated_;
    QList<CheckLine> lines_;
};

// What is wrong with a column whose catalogue gives `type` (the name without a size) and `size`
// (a text's length, -1 unlimited, 0 none given), where the program expects `expected` as the
// server declares it ("nvarchar(15)"); empty when the program can bind it.
QString columnTypeProblem(const QString& expected, const QString& type, int size);

}  // namespace agrimor
