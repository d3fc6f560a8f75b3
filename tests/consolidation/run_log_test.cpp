// The consolidation's and the cancellation's rows in the run log, on both engines: what each run
// wrote, the cancellation's question naming the last consolidation, and a log that can not be
// written taking the company's consolidation back with it (one transaction).

#include "ledger/run_log.h"

#include <gtest/gtest.h>

#include "consolidation/consolidation_commands.h"
#include "data/own_tables.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

using test::EngineKind;
using test::line;

class ConsolidationRunLog : public ::testing::TestWithParam<EngineKind> {
protected:
    ConsolidationRunLog() {
        setup.addAccounts({QStringLiteral("9111"), QStringLiteral("9112")}, 2024);
        setup.addCompany(1);
        setup.addMovements(1, {line(QStringLiteral("a"), QStringLiteral("FT"), 1, 1,
                                    QStringLiteral("9111"), 1, QStringLiteral("10.25")),
                               line(QStringLiteral("b"), QStringLiteral("FT"), 1, 2,
                                    QStringLiteral("9112"), 2, QStringLiteral("10.25")),
                               line(QStringLiteral("c"), QStringLiteral("FT"), 2, 1,
                                    QStringLiteral("9111"), 2, QStringLiteral("3")),
                               line(QStringLiteral("d"), QStringLiteral("FT"), 2, 2,
                                    QStringLiteral("9112"), 1, QStringLiteral("3"))});
    }

    CommandResult run(CommandResult (*command)(ConsolidationEnvironment&, const ProcessingInput&),
                      int answers) {
        for (int i = 0; i < answers; ++i)
            prompter.answer(Answer::Ok);
        return command(environment,
                       {QStringLiteral("2024"), 3, {CompanyTab{1, QStringLiteral("Um")}}});
    }

    test::ConsolidationSetup setup{GetParam()};
    test::ScriptedPrompter prompter;
    ConsolidationEnvironment environment{setup.consolidated(), prompter, setup.folder()};
};

TEST_P(ConsolidationRunLog, each_run_is_logged_and_the_cancellation_names_the_last_one) {
    EXPECT_EQ(run(runConsolidation, 2).outcome, CommandOutcome::Done);
    std::vector<RunRecord> runs = readRuns(setup.consolidated(), {});
    ASSERT_EQ(runs.size(), 1u);
    const RunRecord consolidated = runs.front();
    EXPECT_EQ(consolidated.task, QStringLiteral("consolidacao"));
    EXPECT_EQ(consolidated.result, QStringLiteral("efetuado"));
    EXPECT_EQ(consolidated.company, 1);
    EXPECT_EQ(consolidated.year, 2024);
    EXPECT_EQ(consolidated.month, 3);
    EXPECT_EQ(consolidated.lines, setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")));
    EXPECT_EQ(consolidated.debit, Money::fromUnits(132500));
    EXPECT_EQ(consolidated.credit, Money::fromUnits(132500));
    EXPECT_EQ(consolidated.tpDoc, QStringLiteral("CNS"));
    ASSERT_TRUE(consolidated.firstDoc && consolidated.lastDoc);
    EXPECT_EQ(*consolidated.lastDoc - *consolidated.firstDoc, 1);

    prompter.clear();
    EXPECT_EQ(run(runCancellation, 1).outcome, CommandOutcome::Done);
    EXPECT_TRUE(prompter.texts().front().startsWith(
        QStringLiteral("Vai proceder à anulação de movimentos!\r\nEmpresa Um: a última "
                       "integração de 03/2024 (n.º %1) escreveu %2 linhas, documentos CNS 1 n.º")
            .arg(consolidated.id)
            .arg(consolidated.lines)))
        << prompter.texts().front().toStdString();
    EXPECT_EQ(run(runCancellation, 1).outcome, CommandOutcome::Done);  // nothing left
    runs = readRuns(setup.consolidated(), {});
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].task, QStringLiteral("anulacao"));
    EXPECT_EQ(runs[1].result, QStringLiteral("efetuado"));
    EXPECT_EQ(runs[1].lines, consolidated.lines);
    EXPECT_EQ(runs[1].debit, consolidated.debit);
    EXPECT_EQ(runs[0].result, QStringLiteral("recusado"));
    EXPECT_EQ(runs[0].lines, 0);
}

TEST_P(ConsolidationRunLog, a_log_that_can_not_be_written_takes_the_consolidation_back) {
    setup.consolidated().execute(QStringLiteral("DROP TABLE zeb_CNS_Registo"));
    EXPECT_EQ(run(runConsolidation, 2).outcome, CommandOutcome::Failed);
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 0);
    // The failure itself could not be logged either: that is said.
    EXPECT_TRUE(prompter.lastText().startsWith(kRunNotLogged)) << prompter.lastText().toStdString();
    // The start-up's check brings the table back on a database that has the others.
    ensureOwnTables(setup.consolidated());
    EXPECT_TRUE(readRuns(setup.consolidated(), {}).empty());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ConsolidationRunLog,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite));

}  // namespace
}  // namespace agrimor
