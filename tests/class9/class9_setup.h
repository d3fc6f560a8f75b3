#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "class9/class9_commands.h"
#include "data/data_access.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

namespace agrimor::test {

// One chart row: an account of a year with its class-9 mappings.
struct ChartRow {
    QString conta;
    int exercicio = 2024;
    QString cl9dd;
    QString cl9cc;
};

// A company database with the ERP tables and a consolidated database with the program's own
// tables, on the chosen engine, with what the class-9 commands need to run on them.
class Class9Setup {
public:
    explicit Class9Setup(EngineKind kind = EngineKind::Sqlite);

    DataAccess& consolidated() { return *consolidated_; }
    DataAccess& company() { return *company_; }
    QString folder() const { return folder_.path(); }
    EngineKind kind() const { return kind_; }

    void addChart(const std::vector<ChartRow>& rows);
    void addLines(const std::vector<demo::Movement>& lines);

    // Every MovCTB row, one text per row with every column, ordered by key: a picture of the
    // company's movements to compare before and after.
    QStringList snapshot();
    // MovCTB rows of a document type (and series, when given), ordered by number and line.
    Recordset lines(const QString& tpDoc, const QString& serie = {});

    // The commands' environment and the screen's input for company 1, "Velmor", in 03/2024 with
    // class-9 type "CL9", series "1" and journal "09".
    Class9Environment environment() { return {*consolidated_, company_.get(), prompter}; }
    Class9Input input;
    ScriptedPrompter prompter;

private:
    EngineKind kind_;
    TempFolder folder_;
    std::unique_ptr<DataAccess> consolidated_;
    std::unique_ptr<DataAccess> company_;
};

// A general-accounting line of 2024 (Nat 2, Statac 2), dated `day` of `month`, with every other
// column filled so a copy can be told from its source.
demo::Movement generalLine(const QString& tpDoc, int numDoc, int numLinha, const QString& conta,
                           int dbCr, const QString& valor, int day = 10, int month = 3);

// A class-9 line of 2024 as an integration (or the ERP) would have written it.
demo::Movement class9Line(const QString& tpDoc, int numDoc, int numLinha, const QString& conta,
                          int dbCr, const QString& valor, int day = 10, int month = 3);

}  // namespace agrimor::test
