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

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;
using test::FailingEngine;
using test::line;

// Two companies: four lines in two documents, and a converted one that needs rounding lines.
std::unique_ptr<test::ConsolidationSetup> twoCompanies(EngineKind kind) {
    auto setup = std::make_unique<test::ConsolidationSetup>(kind);
    setup->addAccounts({u"9111"_s, u"9112"_s}, 2024);
    setup->addRate(u"USD"_s, QDate(2024, 3, 4), u"1.5"_s);
    setup->addCompany(1);
    setup->addMovements(1, {line(u"a"_s, u"FT"_s, 1, 1, u"9111"_s, 1, u"10"_s),
                            line(u"b"_s, u"FT"_s, 1, 2, u"9112"_s, 2, u"10"_s),
                            line(u"c"_s, u"FT"_s, 2, 1, u"9111"_s, 1, u"3"_s),
                            line(u"d"_s, u"FT"_s, 2, 2, u"9112"_s, 2, u"3"_s)});
    setup->addCompany(2, {.currency = u"USD"_s});
    setup->addMovements(2, {line(u"e"_s, u"FT"_s, 1, 1, u"9111"_s, 1, u"10"_s),
                            line(u"f"_s, u"FT"_s, 1, 2, u"9112"_s, 2, u"5"_s),
                            line(u"g"_s, u"FT"_s, 1, 3, u"9112"_s, 2, u"5"_s),
                            line(u"h"_s, u"FT"_s, 2, 1, u"9111"_s, 1, u"1"_s),
                            line(u"i"_s, u"FT"_s, 2, 2, u"9112"_s, 2, u"1"_s)});
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
    prompter.answer({Answer::Ok, Answer::Ok, Answer::Ok});
    ConsolidationEnvironment environment{shared, prompter, setup.folder()};
    FaultRun run;
    run.result =
        runConsolidation(environment, {u"2024"_s, 3, {{1, u"Velmor"_s}, {2, u"Velmor Sul "_s}}});
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
        EXPECT_EQ(setup->countWritten(u"CNS"_s, u"1"_s), 4);
        EXPECT_EQ(setup->countWritten(u"CNS"_s, u"2"_s),
                  6);  // one rounding
    }
    ASSERT_EQ(total, firstCompanyWrites + 6 + 3);

    for (int failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE(failAt);
        auto setup = twoCompanies(GetParam());
        const FaultRun run = runWithFault(*setup, failAt);
        EXPECT_EQ(run.result.outcome, CommandOutcome::Failed);
        const bool firstFails = failAt <= firstCompanyWrites;
        const QString caption = firstFails ? u"Velmor"_s : u"Velmor Sul "_s;
        EXPECT_EQ(run.lastMessage,
                  u"Empresa: %1\n\rErro: falha simulada na escrita %2"_s.arg(caption).arg(failAt));
        EXPECT_FALSE(setup->consolidated().inTransaction());
        EXPECT_EQ(setup->countWritten(u"CNS"_s, u"1"_s), firstFails ? 0 : 4);
        EXPECT_EQ(setup->ultimoMes(1), firstFails ? QString() : u"03/2024"_s);
        EXPECT_EQ(setup->countWritten(u"CNS"_s, u"2"_s), 0);
        EXPECT_EQ(setup->ultimoMes(2), QString());
    }
}

TEST_P(Reliability, a_streamed_query_can_stop_early_or_fail_and_leaves_the_connection_usable) {
    test::ConsolidationSetup setup(GetParam());
    std::vector<demo::Movement> lines;
    for (int i = 1; i <= 1200; ++i)
        lines.push_back(line(u"r%1"_s.arg(i), u"FT"_s, i, 1, u"9111"_s, 1, u"1"_s));
    setup.addConsolidatedMovements(lines);
    DataAccess& db = setup.consolidated();

    struct Counting : RowSink {
        int rows = 0;
        int stopAfter = 0;
        bool throwInstead = false;
        void columns(const QList<ColumnInfo>&) override {}
        bool row(std::vector<Value>& values) override {
            EXPECT_EQ(values.size(), 2u);
            ++rows;
            if (rows == stopAfter && throwInstead)
                throw std::runtime_error("sink failed");
            return rows != stopAfter;
        }
    };
    const QString sql = u"SELECT NumDoc, Ref FROM MovCTB ORDER BY NumDoc"_s;
    Counting all;
    db.queryEach(sql, {}, all);
    EXPECT_EQ(all.rows, 1200);

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
        db.execute(u"DELETE FROM MovCTB WHERE NumDoc > 1000"_s);
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
    setup.addAccounts({u"9111"_s, u"9112"_s}, 2024);
    setup.addCompany(1);
    std::vector<demo::Movement> lines;
    constexpr int kDocuments = 25000;
    for (int doc = 1; doc <= kDocuments; ++doc) {
        lines.push_back(line(u"a"_s, u"FT"_s, doc, 1, u"9111"_s, 1, u"7.5"_s));
        lines.push_back(line(u"b"_s, u"FT"_s, doc, 2, u"9112"_s, 2, u"7.5"_s));
    }
    setup.addMovements(1, lines);
    demo::writeConfigFile(setup.folder(), u"Consolidado.db"_s);
    const QString journal = setup.folder() + u"/Consolidado.db-journal"_s;
    const QStringList arguments{
        u"consolidate"_s, u"--year"_s, u"2024"_s,  u"--month"_s,       u"3"_s,
        u"--companies"_s, u"1"_s,      u"--yes"_s, u"--data-folder"_s, setup.folder()};
    const auto reset = [&] {
        setup.consolidated().execute(u"DELETE FROM MovCTB"_s);
        setup.consolidated().execute(u"UPDATE zeb_CNS_DadosIniciais SET UltimoMes = ''"_s);
    };

    {
        QProcess batch;
        batch.start(QStringLiteral(AGRIMOR_BATCH), arguments);
        ASSERT_TRUE(batch.waitForFinished(120000));
        EXPECT_EQ(batch.exitCode(), 0) << batch.readAll().toStdString();
        ASSERT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 2 * kDocuments);
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

        const int written = setup.countWritten(u"CNS"_s, u"1"_s);
        EXPECT_TRUE(written == 0 || written == 2 * kDocuments) << written;
        EXPECT_EQ(setup.ultimoMes(1), written ? u"03/2024"_s : QString());
        reset();
    }
    EXPECT_GT(killedMidWrite, 0);
}

}  // namespace
}  // namespace agrimor
