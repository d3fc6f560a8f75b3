#include "data/own_tables.h"

#include <gtest/gtest.h>

#include "data/data_access.h"
#include "data/db_error.h"
#include "data/statement_recorder.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using test::EngineKind;

class OwnTablesTest : public ::testing::TestWithParam<EngineKind> {
protected:
    std::unique_ptr<DataAccess> open(const QString& script = {}) {
        return test::createDatabase(GetParam(), folder.path(), QStringLiteral("c.db"), script);
    }

    static QString typeOf(DataAccess& db, const QString& column) {
        const StatementRecordingPause testsOwnReading;
        const Recordset rs = db.openReadOnly(
            QStringLiteral(
                "SELECT type FROM pragma_table_info('zeb_CNS_DadosIniciais') WHERE name = ?"),
            {column});
        return rs.isEmpty() ? QString() : rs.field(0).toText();
    }

    test::TempFolder folder;
};

TEST_P(OwnTablesTest, a_new_database_gets_the_current_layout_and_a_second_run_changes_nothing) {
    auto db = open();
    ensureOwnTables(*db);
    EXPECT_EQ(typeOf(*db, QStringLiteral("Serie")), QStringLiteral("nvarchar(10)"));
    EXPECT_EQ(typeOf(*db, QStringLiteral("SerieCL9")), QStringLiteral("nvarchar(10)"));
    EXPECT_EQ(typeOf(*db, QStringLiteral("AteMes")), QStringLiteral("smallint"));
    EXPECT_EQ(typeOf(*db, QStringLiteral("DiarioCL9")), QStringLiteral("nvarchar(3)"));

    auto rs = db->openUpdatable(QStringLiteral("zeb_CNS_DadosIniciais"), QStringLiteral("1 = 0"));
    rs.addNew();
    rs.setField(QStringLiteral("BD"), 1);
    rs.setField(QStringLiteral("Serie"), QStringLiteral("A1"));
    rs.setField(QStringLiteral("SerieCL9"), QStringLiteral("9"));
    rs.update();

    ensureOwnTables(*db);
    const Recordset after = db->openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_DadosIniciais"));
    ASSERT_EQ(after.rowCount(), 1);
    EXPECT_EQ(after.field(QStringLiteral("Serie")).toText(), QStringLiteral("A1"));
    EXPECT_TRUE(after.isNull(QStringLiteral("AteMes")));  // only an upgrade sets it to 0
}

TEST_P(OwnTablesTest, a_table_without_atemes_is_upgraded_keeping_its_rows) {
    auto db = open(QStringLiteral(
        "CREATE TABLE zeb_CNS_Cambios (Moeda nvarchar(3), Data datetime, Cambio money, Id integer "
        "primary key);"
        "CREATE TABLE zeb_CNS_Parametros (BD smallint);"
        "CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, Setor nvarchar(3), TpDoc nvarchar(3), "
        "Serie smallint, DataMov datetime, UltimoMes nvarchar(20), Moeda nvarchar(3), ContaArred "
        "nvarchar(15), TpDocCL9 nvarchar(3), SerieCL9 smallint, DiarioCL9 nvarchar(3));"
        "INSERT INTO zeb_CNS_DadosIniciais (BD, Serie, SerieCL9, Moeda) VALUES (1, 5, 9, 'USD'), "
        "(2, 7, 9, 'EUR');"));
    ensureOwnTables(*db);
    EXPECT_EQ(typeOf(*db, QStringLiteral("Serie")), QStringLiteral("nvarchar(10)"));
    const Recordset rs =
        db->openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_DadosIniciais ORDER BY BD"));
    ASSERT_EQ(rs.rowCount(), 2);
    EXPECT_EQ(rs.field(QStringLiteral("AteMes")).toInt(), 0);
    EXPECT_EQ(rs.field(QStringLiteral("Serie")).toText(), QStringLiteral("5"));
    EXPECT_EQ(rs.field(QStringLiteral("Moeda")).toText(), QStringLiteral("USD"));
}

TEST_P(OwnTablesTest, only_the_missing_class9_columns_are_added) {
    auto db = open(QStringLiteral(
        "CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, Serie nvarchar(4), AteMes smallint);"
        "INSERT INTO zeb_CNS_DadosIniciais VALUES (1, 'X', 3);"));
    ensureOwnTables(*db);
    EXPECT_EQ(typeOf(*db, QStringLiteral("TpDocCL9")), QStringLiteral("nvarchar(3)"));
    // Serie is text already (of another length): neither series column is retyped.
    EXPECT_EQ(typeOf(*db, QStringLiteral("Serie")), QStringLiteral("nvarchar(4)"));
    EXPECT_EQ(typeOf(*db, QStringLiteral("SerieCL9")), QStringLiteral("smallint"));
    const Recordset rs =
        db->openReadOnly(QStringLiteral("SELECT AteMes FROM zeb_CNS_DadosIniciais"));
    EXPECT_EQ(rs.field(0).toInt(), 3);
}

TEST_P(OwnTablesTest, failures_that_can_not_be_absorbed_are_thrown) {
    // The settings table is missing but the rates table exists: its creation fails.
    auto db = open(QStringLiteral("CREATE TABLE zeb_CNS_Cambios (Moeda nvarchar(3));"));
    EXPECT_THROW(ensureOwnTables(*db), DbError);
}

// The oldest layout with rows: the class-9 series is added empty, so retyping it fails; the
// series itself was retyped first and stays so, and the next start finds nothing to do.
TEST_P(OwnTablesTest, the_oldest_layout_with_rows_fails_once_on_the_class9_series) {
    auto db = open(QStringLiteral(
        "CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, Setor nvarchar(3), TpDoc nvarchar(3), "
        "Serie smallint, DataMov datetime, UltimoMes nvarchar(20), Moeda nvarchar(3), ContaArred "
        "nvarchar(15));"
        "INSERT INTO zeb_CNS_DadosIniciais (BD, Serie) VALUES (1, 5);"));
    EXPECT_THROW(ensureOwnTables(*db), DbError);
    EXPECT_EQ(typeOf(*db, QStringLiteral("Serie")), QStringLiteral("nvarchar(10)"));
    EXPECT_NO_THROW(ensureOwnTables(*db));
    EXPECT_EQ(typeOf(*db, QStringLiteral("SerieCL9")), QStringLiteral("smallint"));
}

TEST_P(OwnTablesTest, retyping_a_series_that_holds_a_null_fails_and_keeps_the_table) {
    auto db = open(QStringLiteral(
        "CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, Serie smallint, TpDocCL9 nvarchar(3), "
        "SerieCL9 smallint, DiarioCL9 nvarchar(3), AteMes smallint);"
        "INSERT INTO zeb_CNS_DadosIniciais (BD, Serie) VALUES (1, NULL);"));
    EXPECT_THROW(ensureOwnTables(*db), DbError);
    EXPECT_EQ(typeOf(*db, QStringLiteral("Serie")), QStringLiteral("smallint"));
    EXPECT_EQ(db->openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_DadosIniciais")).rowCount(),
              1);
}

INSTANTIATE_TEST_SUITE_P(Engines, OwnTablesTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
