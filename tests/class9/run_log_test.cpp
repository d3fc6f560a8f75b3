// The class-9 confirmation's row in the run log, written after the company's commit: what it
// wrote, and a log that can not be written said to the user with the lines left written.

#include "ledger/run_log.h"

#include <gtest/gtest.h>

#include "tests/class9/class9_setup.h"
#include "tests/support/qstring_printer.h"

namespace agrimor {
namespace {

using test::EngineKind;
using test::generalLine;

class Class9RunLog : public ::testing::TestWithParam<EngineKind> {
protected:
    Class9RunLog() {
        setup.addChart(
            {{QStringLiteral("6221"), 2024, QStringLiteral("96221"), QStringLiteral("96229")},
             {QStringLiteral("221"), 2024, QStringLiteral("9122"), QStringLiteral("9123")},
             {QStringLiteral("96221"), 2024, {}, {}},
             {QStringLiteral("9123"), 2024, {}, {}}});
        setup.addLines({generalLine(QStringLiteral("FC"), 1, 1, QStringLiteral("6221"), 1,
                                    QStringLiteral("10.25")),
                        generalLine(QStringLiteral("FC"), 1, 2, QStringLiteral("221"), 2,
                                    QStringLiteral("10.25"))});
    }

    Class9Outcome loadAndConfirm() {
        Class9Environment environment = setup.environment();
        EXPECT_EQ(loadClass9(environment, setup.input, state), Class9Outcome::Done);
        setup.prompter.clear();
        setup.prompter.answer(Answer::Ok);
        return confirmClass9(environment, setup.input, state).outcome;
    }

    test::Class9Setup setup{GetParam()};
    Class9State state;
};

TEST_P(Class9RunLog, the_confirmation_is_logged_after_its_commit) {
    ASSERT_EQ(loadAndConfirm(), Class9Outcome::Done);
    const std::vector<RunRecord> runs = readRuns(setup.consolidated(), {});
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].task, QStringLiteral("classe9"));
    EXPECT_EQ(runs[0].result, QStringLiteral("efetuado"));
    EXPECT_EQ(runs[0].year, 2024);
    EXPECT_EQ(runs[0].month, 3);
    EXPECT_EQ(runs[0].lines, 2);
    EXPECT_EQ(runs[0].debit, Money::fromUnits(102500));
    EXPECT_EQ(runs[0].credit, Money::fromUnits(102500));
    EXPECT_EQ(runs[0].tpDoc, QStringLiteral("CL9"));
    EXPECT_EQ(runs[0].firstDoc, runs[0].lastDoc);
}

TEST_P(Class9RunLog, a_log_that_can_not_be_written_is_said_and_the_lines_stay) {
    setup.consolidated().execute(QStringLiteral("DROP TABLE zeb_CNS_Registo"));
    ASSERT_EQ(loadAndConfirm(), Class9Outcome::Done);
    EXPECT_TRUE(setup.prompter.lastText().startsWith(kRunNotLogged))
        << setup.prompter.lastText().toStdString();
    EXPECT_EQ(setup.lines(QStringLiteral("CL9")).rowCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Class9RunLog,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite));

}  // namespace
}  // namespace agrimor
