// The demo's month left for integration, through the batch command as a month-end script runs
// it: the ERP's lines, a reload, a missing class-9 account and codes too long for their columns.

#include <gtest/gtest.h>

#include <QProcess>
#include <QSet>

#include "class9/derivation.h"
#include "class9/working_set.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/class9_months.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

constexpr int kYear = demo::kDemoYear;
constexpr int kMonth = 11;  // the month the demo leaves for integration

class Class9Demo : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        demo::seedDemo(folder_->path());
    }
    static void TearDownTestSuite() { delete folder_; }

    static std::unique_ptr<DataAccess> company(int bd) {
        return demo::openDatabase(folder_->file(demo::companies().at(bd - 1).file));
    }

    struct Run {
        int exitCode = -1;
        QString output;
    };
    static Run batch(int bd, int month, QStringList options) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(AGRIMOR_BATCH),
                      QStringList{u"classe9"_s, u"--company"_s, QString::number(bd), u"--year"_s,
                                  QString::number(kYear), u"--month"_s, QString::number(month),
                                  u"--tpdoc"_s, u"CL9"_s, u"--serie"_s, u"1"_s, u"--diario"_s,
                                  u"09"_s, u"--data-folder"_s, folder_->path()} +
                          options);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAll())};
    }

    static std::int64_t count(DataAccess& db, const QString& where, const Params& params) {
        return test::countRows(db, u"MovCTB"_s, where, params);
    }

    static test::TempFolder* folder_;
};

test::TempFolder* Class9Demo::folder_ = nullptr;

// Every company's month holds lines of both project costings, which the load sends to 96112
// whatever the chart maps their account to.
TEST_F(Class9Demo, every_company_month_shows_the_project_costing_override) {
    for (const demo::Company& listed : demo::companies()) {
        auto db = company(listed.bd);
        Class9WorkingSet set;
        test::ScriptedPrompter prompter;
        ASSERT_GT(deriveClass9Lines(*db, prompter, kYear, kMonth, set), 0);
        QSet<QString> overridden;
        for (int row = 0; row < set.size(); ++row) {
            const QString costing = set.value(row, Class9WorkingSet::Custeio).toText();
            if (costing != QLatin1String("P00631") && costing != QLatin1String("P00763"))
                continue;
            EXPECT_EQ(set.value(row, Class9WorkingSet::Classe9).toText(), u"96112"_s);
            if (demo::class9Account(
                    set.value(row, Class9WorkingSet::ContaG).toText(),
                    set.value(row, Class9WorkingSet::Sinal).toText() == QLatin1String("D")
                        ? 1
                        : 2) != QLatin1String("96112"))
                overridden.insert(costing);
        }
        EXPECT_EQ(overridden, (QSet<QString>{u"P00631"_s, u"P00763"_s}))
            << listed.name.toStdString();
    }
}

TEST_F(Class9Demo, the_batch_command_writes_the_month_and_stops_on_missing_accounts) {
    // Without --yes the ERP's lines are kept and nothing is loaded.
    Run run = batch(3, kMonth, {});
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"[Cancelar]"_s));

    auto db = company(3);
    const Params month{kYear, kMonth};
    const std::int64_t general =
        count(*db, u"Ano=? and Mes=? and Conta not like '9%' and Statac=2"_s, month);
    const std::int64_t lastDocument =
        db->openReadOnly(u"select max(NumDoc) from MovCTB where TpDoc='CL9'"_s).field(0).toInt();
    run = batch(3, kMonth, {u"--yes"_s});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"Os movimentos gerados pelo ERP serão anulados."_s))
        << run.output.toStdString();
    EXPECT_EQ(count(*db, u"Ano=? and Mes=? and TpDoc='CL9'"_s, month), general);
    EXPECT_EQ(count(*db, u"Ano=? and Mes=? and TpDoc=?"_s, {kYear, kMonth, demo::kErpClass9Type}),
              0);
    EXPECT_EQ(db->openReadOnly(QStringLiteral("select min(NumDoc) from MovCTB where TpDoc='CL9' "
                                              "and Mes=?"),
                               {kMonth})
                  .field(0)
                  .toInt(),
              lastDocument + 1);

    // --reload: the integration is reloaded and nothing needs changing.
    run = batch(3, kMonth, {u"--yes"_s, u"--reload"_s});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"0 contas alteradas"_s)) << run.output.toStdString();

    // The first company's month has a line without a class-9 account: listed, nothing written.
    run = batch(1, kMonth, {u"--yes"_s});
    EXPECT_EQ(run.exitCode, 2) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"\t6881\t"_s)) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"Existem Contas Classe 9 não preenchidas!"_s));
    auto first = company(1);
    EXPECT_EQ(count(*first, u"Ano=? and Mes=? and TpDoc='CL9'"_s, month), 0);

    // A code longer than the screen's field (and MovCTB's column) is refused before anything is
    // stored or written.
    const std::int64_t lines = count(*db, u"1=1"_s, {});
    for (const QStringList& option :
         {QStringList{u"--tpdoc"_s, u"CL9X"_s}, QStringList{u"--serie"_s, u"12345678901"_s},
          QStringList{u"--diario"_s, u"0909"_s}}) {
        run = batch(3, kMonth - 1, option + QStringList{u"--yes"_s});
        EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
        EXPECT_TRUE(run.output.contains(u"caracteres"_s)) << run.output.toStdString();
    }
    EXPECT_EQ(count(*db, u"1=1"_s, {}), lines);
    EXPECT_EQ(demo::openDatabase(folder_->file(demo::consolidatedFileName()))
                  ->openReadOnly(QStringLiteral("select TpDocCL9, SerieCL9, DiarioCL9 from "
                                                "zeb_CNS_DadosIniciais where BD=3"))
                  .field(0)
                  .toText(),
              u"CL9"_s);

    // Nothing to integrate in December.
    run = batch(2, 12, {u"--yes"_s});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains(kNoMovementsToIntegrate));
}

}  // namespace
}  // namespace agrimor
