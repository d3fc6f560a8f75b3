#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "data/data_access.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

namespace agrimor::test {

// A company's row of zeb_CNS_DadosIniciais.
struct CompanyConfig {
    QString currency = QStringLiteral("EUR");
    QString tpDoc = QStringLiteral("CNS");
    QString serie = {};  // the company's number when empty
    QString contaArred = QStringLiteral("9999");
    int ateMes = 0;
};

// A consolidated database with the ERP tables and the program's own, plus company databases
// beside it, on the chosen engine (the companies are reached through their parameters rows, on
// the same engine).
class ConsolidationSetup {
public:
    explicit ConsolidationSetup(EngineKind kind, int year = 2024);

    DataAccess& consolidated() { return *consolidated_; }
    QString folder() const { return folder_.path(); }
    int year() const { return year_; }

    void addAccounts(const QStringList& accounts, int year);
    void addDocumentType(const QString& code);
    void addRate(const QString& currency, QDate date, const QString& rate);
    // The settings and parameters rows and an empty company database, "company<bd>.db".
    DataAccess& addCompany(int bd, const CompanyConfig& config = {});
    DataAccess& company(int bd) { return *companies_.at(bd); }
    void addMovements(int bd, const std::vector<demo::Movement>& lines);
    void addConsolidatedMovements(const std::vector<demo::Movement>& lines);

    // MovCTB of the consolidated database for a document type and series, ordered by document
    // and line.
    Recordset written(const QString& tpDoc, const QString& serie);
    int countWritten(const QString& tpDoc, const QString& serie);
    QString ultimoMes(int bd);

private:
    EngineKind kind_;
    int year_;
    TempFolder folder_;
    std::unique_ptr<DataAccess> consolidated_;
    std::map<int, std::unique_ptr<DataAccess>> companies_;
};

// A class-9 movement line of `year`/`month` with a unique Ref (its label, used to find the
// source line a written line was copied from).
demo::Movement line(const QString& ref, const QString& tpDoc, int numDoc, int numLinha,
                    const QString& conta, int dbCr, const QString& valor, int month = 3,
                    int year = 2024, const QString& serie = QStringLiteral("1"));

}  // namespace agrimor::test
