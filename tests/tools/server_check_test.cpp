#include "ledger/server_check.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "data/data_access.h"
#include "data/sqlite_engine.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

// Changes a database file behind the program's back, as another program would.
void alter(const QString& file, const QString& script) {
    SqliteEngine::open(file)->executeScript(script);
}

QStringList problemsOf(const ServerCheck& check) {
    QStringList problems;
    for (const CheckLine& line : check.lines())
        if (!line.ok())
            problems << line.text();
    return problems;
}

class ServerCheckTest : public ::testing::TestWithParam<EngineKind> {
protected:
    test::ConsolidationSetup setup{GetParam()};
    QString file(const QString& name) const { return setup.folder() + QLatin1Char('/') + name; }
};

TEST_P(ServerCheckTest, names_the_missing_column_the_wrong_type_and_the_missing_file) {
    for (int bd = 1; bd <= 4; ++bd)
        setup.addCompany(bd);
    alter(file(u"company2.db"_s), u"ALTER TABLE MovCTB DROP COLUMN Valor_Base;"_s);
    alter(file(u"company3.db"_s),
          QStringLiteral("ALTER TABLE MovCTB DROP COLUMN Valor;"
                         "ALTER TABLE MovCTB ADD COLUMN Valor nvarchar(20);"));
    ASSERT_TRUE(QFile::remove(file(u"company4.db"_s)));

    ServerCheck check(setup.consolidated());
    check.checkConsolidated();
    EXPECT_TRUE(check.allPassed()) << problemsOf(check).join(u'\n').toStdString();
    check.checkCompany(1);
    EXPECT_TRUE(check.allPassed()) << problemsOf(check).join(u'\n').toStdString();

    for (int bd = 2; bd <= 5; ++bd)
        check.checkCompany(bd);
    const QStringList problems = problemsOf(check);
    ASSERT_EQ(problems.size(), 4) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems[0].startsWith(u"Empresa 2 ("_s));
    EXPECT_TRUE(problems[0].endsWith(QStringLiteral(
        ": tabelas do ERP: MovCTB.Valor_Base: a coluna não existe (esperado money)")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[1].endsWith(
        u": tabelas do ERP: MovCTB.Valor: tipo nvarchar(20), esperado money"_s))
        << problems[1].toStdString();
    EXPECT_TRUE(problems[2].contains(u": abre: não abre (Servidor "_s))
        << problems[2].toStdString();
    EXPECT_TRUE(problems[3].endsWith(u"sem parâmetros de ligação em zeb_CNS_Parametros"_s))
        << problems[3].toStdString();
}

// What start-up would create or add is tried in a transaction that is rolled back: no fault, and
// the database is left as it was.
TEST_P(ServerCheckTest, what_start_up_puts_right_passes_and_stays_as_it_was) {
    alter(file(u"Consolidado.db"_s), u"ALTER TABLE zeb_CNS_DadosIniciais DROP COLUMN AteMes;"_s);
    ServerCheck check(setup.consolidated());
    check.checkConsolidated();
    EXPECT_TRUE(check.allPassed()) << problemsOf(check).join(u'\n').toStdString();
    const auto fixedAtStartUp = std::count_if(
        check.lines().begin(), check.lines().end(),
        [](const CheckLine& line) { return line.subject.contains(u"(o arranque acerta: "); });
    EXPECT_EQ(fixedAtStartUp, 1);

    auto after = SqliteEngine::open(file(u"Consolidado.db"_s));
    EXPECT_TRUE(after->query(u"SELECT * FROM zeb_CNS_Cambios"_s, {}).rows.empty());
    EXPECT_TRUE(after
                    ->query(u"SELECT name FROM pragma_table_info(?) WHERE name = ?"_s,
                            {u"zeb_CNS_DadosIniciais"_s, u"AteMes"_s})
                    .rows.empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerCheckTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

// Types the server's catalogue gives that the embedded databases never show.
TEST(ColumnTypeProblem, accepts_what_binds_and_names_what_does_not) {
    EXPECT_EQ(columnTypeProblem(u"smallint"_s, u"int"_s, 0), QString());
    EXPECT_EQ(columnTypeProblem(u"nvarchar(15)"_s, u"nvarchar"_s, -1), QString());
    EXPECT_EQ(columnTypeProblem(u"datetime"_s, u"datetime2"_s, 0), QString());
    EXPECT_EQ(columnTypeProblem(u"timestamp"_s, u"timestamp"_s, 0), QString());
    EXPECT_EQ(columnTypeProblem(u"int"_s, u"smallint"_s, 0), u"tipo smallint, esperado int"_s);
    EXPECT_EQ(columnTypeProblem(u"nvarchar(15)"_s, u"nvarchar"_s, 10),
              u"tipo nvarchar(10), esperado nvarchar(15)"_s);
    EXPECT_EQ(columnTypeProblem(u"nvarchar(15)"_s, u"varchar"_s, 15),
              u"tipo varchar(15), esperado nvarchar(15)"_s);
}

int runCheck(const QStringList& arguments, QString* output = nullptr) {
    QProcess batch;
    batch.start(QStringLiteral(AGRIMOR_BATCH), QStringList{u"verificar"_s} + arguments);
    EXPECT_TRUE(batch.waitForFinished(60000));
    if (output)
        *output = QString::fromUtf8(batch.readAllStandardOutput());
    return batch.exitCode();
}

TEST(CheckCommand, exits_0_when_all_pass_2_when_something_is_wrong_1_when_nothing_opens) {
    test::ConsolidationSetup setup(EngineKind::Sqlite);
    setup.addCompany(1);
    demo::writeConfigFile(setup.folder(), u"Consolidado.db"_s);
    const QStringList folder{u"--data-folder"_s, setup.folder()};

    QString output;
    EXPECT_EQ(runCheck(folder + QStringList{u"--company"_s, u"1"_s}, &output), 0)
        << output.toStdString();
    EXPECT_TRUE(output.contains(u"tabelas do ERP: ok\n"_s));
    // Companies 2 to 6 have no parameters.
    EXPECT_EQ(runCheck(folder, &output), 2);
    EXPECT_EQ(output.count(u"sem parâmetros"_s), 5) << output.toStdString();

    test::TempFolder empty;
    demo::writeConfigFile(empty.path(), u"nenhum.db"_s);
    EXPECT_EQ(runCheck({u"--data-folder"_s, empty.path()}, &output), 1);
    EXPECT_TRUE(output.startsWith(u"Base de dados consolidada: "_s)) << output.toStdString();
}

}  // namespace
}  // namespace agrimor
