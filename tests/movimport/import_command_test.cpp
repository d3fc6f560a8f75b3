// The confirm command: its messages and outcomes, and a failure injected at every write statement
// of a two-document import leaving the company database as it was.

#include "movimport/import_command.h"

#include <gtest/gtest.h>

#include "tests/movimport/import_setup.h"
#include "tests/support/failing_engine.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using L = ImportLinesTable;
using test::addLine;
using test::EngineKind;
using test::text;

const QString kQuestion = u"Vai proceder à importação de Movimentos!\r\nPretende continuar?"_s;
const QString kClean = u"Empresa:  Velmor\r\nCheckUp efetuado com sucesso!"_s;

// Two documents on different numerators: an FC purchase and an FT sale.
void twoDocuments(L& lines) {
    addLine(lines, u"A"_s, u"6221"_s, 1, u"10"_s);
    addLine(lines, u"A"_s, u"221"_s, 2, u"10"_s);
    const test::LineChanges sale{{L::TpDoc, text("FT")}, {L::Diario, text("02")}};
    addLine(lines, u"B"_s, u"221"_s, 1, u"5"_s, sale);
    addLine(lines, u"B"_s, u"7111"_s, 2, u"5"_s, sale);
}

class CommandTest : public test::ImportTest {
protected:
    ImportResult run(DataAccess* db) {
        ImportEnvironment environment(db, prompter, u"Velmor"_s, company.folder());
        environment.showTotals = [this](const ImportTotals& t) { totals = t; };
        return runImport(environment, lines);
    }
    ImportResult run() { return run(&company.db()); }

    test::ScriptedPrompter prompter;
    ImportTotals totals;
};

TEST_P(CommandTest, a_clean_import_shows_its_totals_asks_and_writes_in_one_go) {
    twoDocuments(lines);
    prompter.answer(Answer::Ok);
    const ImportResult result = run();
    EXPECT_EQ(result.outcome, ImportOutcome::Written);
    EXPECT_EQ(prompter.texts(), (QStringList{kClean, kQuestion, u"Tarefa Terminada!"_s}));
    EXPECT_EQ(company.movementCount(), 4);
    EXPECT_FALSE(company.db().inTransaction());

    ASSERT_EQ(totals.documents.size(), 2u);
    EXPECT_EQ(totals.documents[1].key, u"B"_s);
    EXPECT_EQ(totals.documents[1].lines, 2);
    EXPECT_EQ(totals.documents[1].debit, Money::fromWhole(5));
    EXPECT_EQ(totals.lines, 4);
    EXPECT_EQ(totals.credit, Money::fromWhole(15));
    EXPECT_EQ(totalsText(totals), QString::fromUtf8("Documento  Linhas  Débito  Crédito\n"
                                                    "A               2   10.00    10.00\n"
                                                    "B               2    5.00     5.00\n"
                                                    "Total           4   15.00    15.00\n"));
}

TEST_P(CommandTest, cancel_anomalies_or_nothing_read_write_nothing) {
    twoDocuments(lines);
    prompter.answer(Answer::Cancel);
    EXPECT_EQ(run().outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(prompter.texts(), (QStringList{kClean, kQuestion}));

    prompter.clear();
    lines.setValue(3, L::Valor, Money::fromWhole(6));
    const ImportResult anomalies = run();
    EXPECT_EQ(anomalies.outcome, ImportOutcome::AnomaliesFound);
    ASSERT_EQ(prompter.texts().size(), 2);
    EXPECT_EQ(prompter.texts().back(), u"Deve corrigir o excel de importação!"_s);

    prompter.clear();
    lines.clear();
    EXPECT_EQ(run().outcome, ImportOutcome::NothingToImport);
    EXPECT_EQ(
        prompter.texts(),
        QStringList{QString::fromUtf8(
            "Não há movimentos a importar: escolha o ficheiro Excel e a folha dos movimentos.")});
    EXPECT_EQ(company.movementCount(), 0);
}

TEST_P(CommandTest, without_a_company_database_it_fails_with_the_company_named) {
    twoDocuments(lines);
    const ImportResult result = run(nullptr);
    EXPECT_EQ(result.outcome, ImportOutcome::Failed);
    EXPECT_EQ(prompter.texts(),
              QStringList{QString::fromUtf8("Empresa: Velmor\n\rErro: Não há ligação à base de "
                                            "dados da empresa Velmor.")});
}

TEST_P(CommandTest, a_failure_at_any_write_leaves_the_company_database_as_it_was) {
    twoDocuments(lines);
    const auto runWithFault = [&](int failAt) {
        auto engine = std::make_shared<test::FailingEngine>(company.db().engine(), failAt);
        DataAccess db;
        db.adopt(engine);
        prompter.clear();
        prompter.answer(Answer::Ok);
        const ImportResult result = run(&db);
        return std::pair{result, engine->writes()};
    };

    // Two numerators of each kind (each taken, then advanced), four rows, the commit.
    const auto [clean, total] = runWithFault(0);
    ASSERT_EQ(clean.outcome, ImportOutcome::Written) << prompter.lastText().toStdString();
    ASSERT_EQ(total, 13);
    company.db().execute(u"DELETE FROM MovCTB"_s);
    company.db().execute(u"UPDATE NumDoc SET Num = CASE Doc WHEN 'FC' THEN 41 END"_s);
    company.db().execute(QStringLiteral(
        "UPDATE NumDiar SET Numerado = CASE Diario WHEN '01' THEN 7 END WHERE Mes = 0"));

    for (int failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE(failAt);
        const auto [result, writes] = runWithFault(failAt);
        EXPECT_EQ(result.outcome, ImportOutcome::Failed);
        const QString failure = u"falha simulada na escrita %1"_s.arg(failAt);
        EXPECT_EQ(prompter.lastText(),
                  u"Empresa: Velmor\n\rErro: "_s +
                      (failAt < total ? u"0 - "_s + failure + u" em GravaMovimentos"_s : failure));
        EXPECT_FALSE(company.db().inTransaction());
        EXPECT_EQ(company.movementCount(), 0);
        EXPECT_EQ(company.documentNumerator(u"FC"_s), 41);
        EXPECT_TRUE(company.db()
                        .openReadOnly(u"SELECT Num FROM NumDoc WHERE Doc = 'FT'"_s)
                        .field(0)
                        .isNull());
        EXPECT_EQ(company.journalNumerator(u"01"_s), 7);
        EXPECT_TRUE(company.db()
                        .openReadOnly(QStringLiteral(
                            "SELECT Numerado FROM NumDiar WHERE Diario = '02' AND Mes = 0"))
                        .field(0)
                        .isNull());
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CommandTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
