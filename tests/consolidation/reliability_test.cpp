// A company is written completely or not at all: a failure at any write statement, and a process
// killed in the middle of writing, leave no half-written company behind. Also the streaming read
// the run relies on.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "consolidation/consolidation_commands.h"
#include "data/db_error.h"
#include "data/engine.h"
#include "data/statement_recorder.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/failing_engine.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

using test::EngineKind;
using test::FailingEngine;
using test::line;

// Two companies: four lines in two documents, and a converted one that needs rounding lines.
std::unique_ptr<test::ConsolidationSetup> twoCompanies(EngineKind kind) {
    auto setup = std::make_unique<test::ConsolidationSetup>(kind);
    setup->addAccounts({QStringLiteral("9111"), QStringLiteral("9112")}, 2024);
    setup->addRate(QStringLiteral("USD"), QDate(2024, 3, 4), QStringLiteral("1.5"));
    setup->addCompany(1);
    setup->addMovements(1, {line(QStringLiteral("a"), QStringLiteral("FT"), 1, 1,
                                 QStringLiteral("9111"), 1, QStringLiteral("10")),
                            line(QStringLiteral("b"), QStringLiteral("FT"), 1, 2,
                                 QStringLiteral("9112"), 2, QStringLiteral("10")),
                            line(QStringLiteral("c"), QStringLiteral("FT"), 2, 1,
                                 QStringLiteral("9111"), 1, QStringLiteral("3")),
                            line(QStringLiteral("d"), QStringLiteral("FT"), 2, 2,
                                 QStringLiteral("9112"), 2, QStringLiteral("3"))});
    test::CompanyConfig usd;
    usd.currency = QStringLiteral("USD");
    setup->addCompany(2, usd);
    setup->addMovements(2, {line(QStringLiteral("e"), QStringLiteral("FT"), 1, 1,
                                 QStringLiteral("9111"), 1, QStringLiteral("10")),
                            line(QStringLiteral("f"), QStringLiteral("FT"), 1, 2,
                                 QStringLiteral("9112"), 2, QStringLiteral("5")),
                            line(QStringLiteral("g"), QStringLiteral("FT"), 1, 3,
                                 QStringLiteral("9112"), 2, QStringLiteral("5")),
                            line(QStringLiteral("h"), QStringLiteral("FT"), 2, 1,
                                 QStringLiteral("9111"), 1, QStringLiteral("1")),
                            line(QStringLiteral("i"), QStringLiteral("FT"), 2, 2,
                                 QStringLiteral("9112"), 2, QStringLiteral("1"))});
    // The shared connection below is adopted, so it knows no data folder: absolute file names.
    const StatementRecordingPause testsOwnSetup;
    setup->consolidated().execute(
        QStringLiteral("UPDATE zeb_CNS_Parametros SET Servidor = 'sqlite', Empresa = ? || "
                       "'/company' || BD || '.db'"),
        {setup->folder()});
    return setup;
}

struct FaultRun {
    CommandResult result;
    QString lastMessage;
    int writes = 0;
};

FaultRun runWithFault(test::ConsolidationSetup& setup, int failAt) {
    auto engine = std::make_shared<FailingEngine>(setup.consolidated().engine(), failAt);
    DataAccess shared;
    shared.adopt(engine);
    test::ScriptedPrompter prompter;
    for (int i = 0; i < 3; ++i)
        prompter.answer(Answer::Ok);
    ConsolidationEnvironment environment{shared, prompter, setup.folder()};
    FaultRun run;
    run.result = runConsolidation(
        environment, {QStringLiteral("2024"),
                      3,
                      {{1, QStringLiteral("Velmor")}, {2, QStringLiteral("Velmor Sul ")}}});
    run.lastMessage = prompter.lastText();
    run.writes = engine->writes();
    return run;
}

class Reliability : public ::testing::TestWithParam<EngineKind> {};

TEST_P(Reliability,
       a_failure_at_any_write_leaves_the_failing_company_unwritten_and_the_earlier_intact) {
    int total = 0;
    int firstCompanyWrites = 0;
    {
        auto setup = twoCompanies(GetParam());
        const FaultRun clean = runWithFault(*setup, 0);
        ASSERT_EQ(clean.result.outcome, CommandOutcome::Done) << clean.lastMessage.toStdString();
        ASSERT_EQ(clean.result.written.size(), 2u);
        total = clean.writes;
        // + UltimoMes, the run's log row, commit
        firstCompanyWrites = clean.result.written.front().second.lines + 3;
        EXPECT_EQ(setup->countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 4);
        EXPECT_EQ(setup->countWritten(QStringLiteral("CNS"), QStringLiteral("2")),
                  6);  // one rounding
    }
    ASSERT_EQ(total, firstCompanyWrites + 6 + 3);

    for (int failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE(failAt);
        auto setup = twoCompanies(GetParam());
        const FaultRun run = runWithFault(*setup, failAt);
        EXPECT_EQ(run.result.outcome, CommandOutcome::Failed);
        const bool firstFails = failAt <= firstCompanyWrites;
        const QString caption =
            firstFails ? QStringLiteral("Velmor") : QStringLiteral("Velmor Sul ");
        EXPECT_EQ(run.lastMessage,
                  QStringLiteral("Empresa: %1\n\rErro: falha simulada na escrita %2")
                      .arg(caption)
                      .arg(failAt));
        EXPECT_FALSE(setup->consolidated().inTransaction());
        EXPECT_EQ(setup->countWritten(QStringLiteral("CNS"), QStringLiteral("1")),
                  firstFails ? 0 : 4);
        EXPECT_EQ(setup->ultimoMes(1), firstFails ? QString() : QStringLiteral("03/2024"));
        EXPECT_EQ(setup->countWritten(QStringLiteral("CNS"), QStringLiteral("2")), 0);
        EXPECT_EQ(setup->ultimoMes(2), QString());
    }
}

TEST_P(Reliability, a_streamed_query_can_stop_early_or_fail_and_leaves_the_connection_usable) {
    test::ConsolidationSetup setup(GetParam());
    std::vector<demo::Movement> lines;
    for (int i = 1; i <= 1200; ++i)
        lines.push_back(line(QStringLiteral("r%1").arg(i), QStringLiteral("FT"), i, 1,
                             QStringLiteral("9111"), 1, QStringLiteral("1")));
    setup.addConsolidatedMovements(lines);
    DataAccess& db = setup.consolidated();

    struct Counting : RowSink {
        int rows = 0;
        int stopAfter = 0;
        bool throwInstead = false;
        QStringList columnNames;
        void columns(const QList<ColumnInfo>& columns) override {
            for (const ColumnInfo& column : columns)
                columnNames << column.name;
        }
        bool row(std::vector<Value>& values) override {
            EXPECT_EQ(values.size(), 2u);
            ++rows;
            if (rows == stopAfter && throwInstead)
                throw std::runtime_error("sink failed");
            return rows != stopAfter;
        }
    };
    const QString sql = QStringLiteral("SELECT NumDoc, Ref FROM MovCTB ORDER BY NumDoc");
    Counting all;
    db.queryEach(sql, {}, all);
    EXPECT_EQ(all.rows, 1200);
    EXPECT_EQ(all.columnNames, (QStringList{QStringLiteral("NumDoc"), QStringLiteral("Ref")}));

    Counting early;
    early.stopAfter = 10;
    db.queryEach(sql, {}, early);
    EXPECT_EQ(early.rows, 10);

    Counting failing;
    failing.stopAfter = 5;
    failing.throwInstead = true;
    EXPECT_THROW(db.queryEach(sql, {}, failing), std::runtime_error);

    {
        Transaction transaction(db);
        db.execute(QStringLiteral("DELETE FROM MovCTB WHERE NumDoc > 1000"));
        transaction.commit();
    }
    Counting after;
    db.queryEach(sql, {}, after);
    EXPECT_EQ(after.rows, 1000);
}

INSTANTIATE_TEST_SUITE_P(Engines, Reliability,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

// The batch command killed while it writes a company: afterwards the company is either all there
// with its month recorded, or absent with the month unchanged.
TEST(BatchKilled, mid_write_leaves_the_company_fully_written_or_absent) {
    test::ConsolidationSetup setup(EngineKind::Sqlite);
    setup.addAccounts({QStringLiteral("9111"), QStringLiteral("9112")}, 2024);
    setup.addCompany(1);
    std::vector<demo::Movement> lines;
    constexpr int kDocuments = 25000;
    for (int doc = 1; doc <= kDocuments; ++doc) {
        lines.push_back(line(QStringLiteral("a"), QStringLiteral("FT"), doc, 1,
                             QStringLiteral("9111"), 1, QStringLiteral("7.5")));
        lines.push_back(line(QStringLiteral("b"), QStringLiteral("FT"), doc, 2,
                             QStringLiteral("9112"), 2, QStringLiteral("7.5")));
    }
    setup.addMovements(1, lines);
    demo::writeConfigFile(setup.folder(), QStringLiteral("Consolidado.db"));
    const QString journal = setup.folder() + QStringLiteral("/Consolidado.db-journal");
    const QStringList arguments{QStringLiteral("consolidate"),
                                QStringLiteral("--year"),
                                QStringLiteral("2024"),
                                QStringLiteral("--month"),
                                QStringLiteral("3"),
                                QStringLiteral("--companies"),
                                QStringLiteral("1"),
                                QStringLiteral("--yes"),
                                QStringLiteral("--data-folder"),
                                setup.folder()};
    const auto reset = [&] {
        setup.consolidated().execute(QStringLiteral("DELETE FROM MovCTB"));
        setup.consolidated().execute(
            QStringLiteral("UPDATE zeb_CNS_DadosIniciais SET UltimoMes = ''"));
    };

    {
        QProcess batch;
        batch.start(QStringLiteral(AGRIMOR_BATCH), arguments);
        ASSERT_TRUE(batch.waitForFinished(120000));
        EXPECT_EQ(batch.exitCode(), 0) << batch.readAll().toStdString();
        ASSERT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 2 * kDocuments);
        reset();
    }

    int killedMidWrite = 0;
    for (const int delayMs : {0, 100, 250, 500, 900}) {
        SCOPED_TRACE(delayMs);
        QProcess batch;
        batch.setProcessChannelMode(QProcess::MergedChannels);
        batch.start(QStringLiteral(AGRIMOR_BATCH), arguments);
        QByteArray output;
        while (!output.contains("Vai proceder à integração dos movimentos na Empresa") &&
               batch.waitForReadyRead(30000))
            output += batch.readAll();
        QThread::msleep(static_cast<unsigned long>(delayMs));
        if (QFileInfo::exists(journal))
            ++killedMidWrite;
        batch.kill();
        batch.waitForFinished(10000);

        const int written = setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1"));
        EXPECT_TRUE(written == 0 || written == 2 * kDocuments) << written;
        EXPECT_EQ(setup.ultimoMes(1), written ? QStringLiteral("03/2024") : QString());
        reset();
    }
    EXPECT_GT(killedMidWrite, 0);
}

}  // namespace
}  // namespace agrimor
