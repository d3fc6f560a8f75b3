#include "data/own_tables.h"

#include <gtest/gtest.h>

#include "data/data_access.h"
#include "data/db_error.h"
#include "data/statement_recorder.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

class OwnTablesTest : public ::testing::TestWithParam<EngineKind> {
protected:
    std::unique_ptr<DataAccess> open(const QString& script = {}) {
        return test::createDatabase(GetParam(), folder.path(), u"c.db"_s, script);
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
    EXPECT_EQ(typeOf(*db, u"Serie"_s), u"nvarchar(10)"_s);
    EXPECT_EQ(typeOf(*db, u"SerieCL9"_s), u"nvarchar(10)"_s);
    EXPECT_EQ(typeOf(*db, u"AteMes"_s), u"smallint"_s);
    EXPECT_EQ(typeOf(*db, u"DiarioCL9"_s), u"nvarchar(3)"_s);

    auto rs = db->openUpdatable(u"zeb_CNS_DadosIniciais"_s, u"1 = 0"_s);
    rs.addNew();
    rs.setField(u"BD"_s, 1);
    rs.setField(u"Serie"_s, u"A1"_s);
    rs.setField(u"SerieCL9"_s, u"9"_s);
    rs.update();

    ensureOwnTables(*db);
    const Recordset after = db->openReadOnly(u"SELECT * FROM zeb_CNS_DadosIniciais"_s);
    ASSERT_EQ(after.rowCount(), 1);
    EXPECT_EQ(after.field(u"Serie"_s).toText(), u"A1"_s);
    EXPECT_TRUE(after.isNull(u"AteMes"_s));  // only an upgrade sets it to 0
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
    EXPECT_EQ(typeOf(*db, u"Serie"_s), u"nvarchar(10)"_s);
    const Recordset rs = db->openReadOnly(u"SELECT * FROM zeb_CNS_DadosIniciais ORDER BY BD"_s);
    ASSERT_EQ(rs.rowCount(), 2);
    EXPECT_EQ(rs.field(u"AteMes"_s).toInt(), 0);
    EXPECT_EQ(rs.field(u"Serie"_s).toText(), u"5"_s);
    EXPECT_EQ(rs.field(u"Moeda"_s).toText(), u"USD"_s);
}

TEST_P(OwnTablesTest, only_the_missing_class9_columns_are_added) {
    auto db = open(QStringLiteral(
        "CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, Serie nvarchar(4), AteMes smallint);"
        "INSERT INTO zeb_CNS_DadosIniciais VALUES (1, 'X', 3);"));
    ensureOwnTables(*db);
    EXPECT_EQ(typeOf(*db, u"TpDocCL9"_s), u"nvarchar(3)"_s);
    // Serie is text already (of another length): neither series column is retyped.
    EXPECT_EQ(typeOf(*db, u"Serie"_s), u"nvarchar(4)"_s);
    EXPECT_EQ(typeOf(*db, u"SerieCL9"_s), u"smallint"_s);
    const Recordset rs = db->openReadOnly(u"SELECT AteMes FROM zeb_CNS_DadosIniciais"_s);
    EXPECT_EQ(rs.field(0).toInt(), 3);
}

TEST_P(OwnTablesTest, failures_that_can_not_be_absorbed_are_thrown) {
    // The settings table is missing but the rates table exists: its creation fails.
    auto db = open(u"CREATE TABLE zeb_CNS_Cambios (Moeda nvarchar(3));"_s);
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
    EXPECT_EQ(typeOf(*db, u"Serie"_s), u"nvarchar(10)"_s);
    EXPECT_NO_THROW(ensureOwnTables(*db));
    EXPECT_EQ(typeOf(*db, u"SerieCL9"_s), u"smallint"_s);
}

TEST_P(OwnTablesTest, retyping_a_series_that_holds_a_null_fails_and_keeps_the_table) {
    auto db = open(QStringLiteral(
        "CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, Serie smallint, TpDocCL9 nvarchar(3), "
        "SerieCL9 smallint, DiarioCL9 nvarchar(3), AteMes smallint);"
        "INSERT INTO zeb_CNS_DadosIniciais (BD, Serie) VALUES (1, NULL);"));
    EXPECT_THROW(ensureOwnTables(*db), DbError);
    EXPECT_EQ(typeOf(*db, u"Serie"_s), u"smallint"_s);
    EXPECT_EQ(db->openReadOnly(u"SELECT * FROM zeb_CNS_DadosIniciais"_s).rowCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, OwnTablesTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
