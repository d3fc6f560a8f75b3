#include "data/data_access.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include "data/db_error.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using test::EngineKind;

const QString kSchema = QStringLiteral(
    "CREATE TABLE Terceiros (Codigo nvarchar(10) COLLATE ci_rtrim, Nome nvarchar(60) COLLATE "
    "ci_rtrim, Saldo money, Desde datetime, Tipo smallint DEFAULT 7);"
    "CREATE TABLE zeb_CNS_Parametros (BD smallint NULL, Servidor nvarchar(30) COLLATE ci_rtrim, "
    "Utilizador nvarchar(30) COLLATE ci_rtrim, Password nvarchar(30) COLLATE ci_rtrim, Empresa "
    "nvarchar(30) COLLATE ci_rtrim);");

class DataAccessTest : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        db = test::createDatabase(GetParam(), folder.path(), QStringLiteral("t.db"), kSchema);
    }

    void addTerceiro(const QString& codigo, const QString& nome, const Value& saldo = {}) {
        auto rs = db->openUpdatable(QStringLiteral("Terceiros"), QStringLiteral("1 = 0"));
        rs.addNew();
        rs.setField(QStringLiteral("Codigo"), codigo);
        rs.setField(QStringLiteral("Nome"), nome);
        rs.setField(QStringLiteral("Saldo"), saldo);
        rs.update();
    }

    int count(const QString& table) {
        return static_cast<int>(
            db->openReadOnly(QStringLiteral("SELECT count(*) AS n FROM ") + table)
                .field(QStringLiteral("n"))
                .toInt());
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> db;
};

TEST_P(DataAccessTest, quotes_and_sql_in_values_are_stored_and_found_as_data) {
    const QString hostile = QStringLiteral("O'Brien'; DROP TABLE Terceiros; --");
    addTerceiro(QStringLiteral("C'1"), hostile);
    const Recordset rs =
        db->openReadOnly(QStringLiteral("SELECT * FROM Terceiros WHERE Codigo = ? AND Nome = ?"),
                         {QStringLiteral("C'1"), hostile});
    ASSERT_EQ(rs.rowCount(), 1);
    EXPECT_EQ(rs.field(QStringLiteral("nome")).toText(), hostile);
    EXPECT_EQ(count(QStringLiteral("Terceiros")), 1);
}

TEST_P(DataAccessTest, snapshot_moves_both_ways_and_outlives_its_connection) {
    for (int i = 1; i <= 3; ++i)
        addTerceiro(QString::number(i), QStringLiteral("T%1").arg(i));
    Recordset rs = db->openReadOnly(
        QStringLiteral("SELECT Codigo, Nome, Saldo FROM Terceiros ORDER BY Codigo"));
    db->close();

    ASSERT_EQ(rs.rowCount(), 3);
    EXPECT_EQ(rs.field(0).toText(), QStringLiteral("1"));
    rs.moveLast();
    EXPECT_EQ(rs.field(QStringLiteral("NOME")).toText(), QStringLiteral("T3"));
    rs.movePrevious();
    EXPECT_EQ(rs.field(QStringLiteral("codigo")).toText(), QStringLiteral("2"));
    EXPECT_TRUE(rs.isNull(QStringLiteral("Saldo")));
    rs.moveNext();
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.field(0), DbError);
    rs.moveFirst();
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_EQ(rs.columnIndex(QStringLiteral("missing")), -1);
}

TEST_P(DataAccessTest, missing_table_and_column_carry_the_provider_numbers) {
    try {
        db->openReadOnly(QStringLiteral("select BD from  Inexistente"));
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), DbError::kMissingTable) << e.message().toStdString();
    }
    try {
        db->openReadOnly(QStringLiteral("select TpDocCL9 from  Terceiros"));
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), DbError::kInvalidColumn) << e.message().toStdString();
    }
    auto rs = db->openUpdatable(QStringLiteral("Terceiros"), QStringLiteral("1 = 0"));
    rs.addNew();
    EXPECT_THROW(rs.setField(QStringLiteral("NaoExiste"), 1), DbError);
}

TEST_P(DataAccessTest, change_and_delete_touch_exactly_the_row_read_in_a_keyless_table) {
    for (const QString& server : {QStringLiteral("s1"), QStringLiteral("s2")}) {
        auto rs = db->openUpdatable(QStringLiteral("zeb_CNS_Parametros"), QStringLiteral("1 = 0"));
        rs.addNew();
        rs.setField(QStringLiteral("BD"), 3);
        rs.setField(QStringLiteral("Servidor"), server);
        rs.update();
    }
    auto rs = db->openUpdatable(QStringLiteral("zeb_CNS_Parametros"), QStringLiteral("BD = ?"), {3},
                                QStringLiteral("Servidor"));
    ASSERT_EQ(rs.rowCount(), 2);
    rs.setField(QStringLiteral("Empresa"), QStringLiteral("Nova"));
    rs.update();
    rs.moveNext();
    rs.deleteCurrent();

    const Recordset after = db->openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_Parametros"));
    ASSERT_EQ(after.rowCount(), 1);
    EXPECT_EQ(after.field(QStringLiteral("Servidor")).toText(), QStringLiteral("s1"));
    EXPECT_EQ(after.field(QStringLiteral("Empresa")).toText(), QStringLiteral("Nova"));
}

TEST_P(DataAccessTest, identical_rows_are_changed_one_at_a_time) {
    for (int i = 0; i < 2; ++i) {
        auto rs = db->openUpdatable(QStringLiteral("zeb_CNS_Parametros"), QStringLiteral("1 = 0"));
        rs.addNew();
        rs.setField(QStringLiteral("BD"), 1);
        rs.update();
    }
    auto rs = db->openUpdatable(QStringLiteral("zeb_CNS_Parametros"), QStringLiteral("BD = 1"));
    rs.setField(QStringLiteral("Servidor"), QStringLiteral("x"));
    rs.update();
    EXPECT_EQ(
        db->openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_Parametros WHERE Servidor IS NULL"))
            .rowCount(),
        1);
}

TEST_P(DataAccessTest, money_and_dates_round_trip_exactly) {
    addTerceiro(QStringLiteral("M"), QStringLiteral("Money"),
                Money::parse(u"-123456789.1234").value());
    {
        auto rs = db->openUpdatable(QStringLiteral("Terceiros"), QStringLiteral("Codigo = ?"),
                                    {QStringLiteral("M")});
        rs.setField(QStringLiteral("Desde"), QDate(2024, 3, 31));
        rs.update();
    }
    const Recordset rs = db->openReadOnly(
        QStringLiteral("SELECT Saldo, Desde, month(Desde) AS m, year(Desde) AS y FROM Terceiros "
                       "WHERE Desde = ?"),
        {QDate(2024, 3, 31)});
    ASSERT_EQ(rs.rowCount(), 1);
    EXPECT_EQ(rs.field(QStringLiteral("Saldo")).toMoney().units(), -1234567891234LL);
    EXPECT_EQ(rs.field(QStringLiteral("Desde")).toDate(), QDate(2024, 3, 31));
    EXPECT_EQ(rs.field(QStringLiteral("m")).toInt(), 3);
    EXPECT_EQ(rs.field(QStringLiteral("y")).toInt(), 2024);

    // The text forms other programs store SQLite dates in read as the same date-times.
    const QStringList forms = {QStringLiteral("2024-03-31"), QStringLiteral("2024-03-31T10:30:00"),
                               QStringLiteral("2024-03-31 10:30"),
                               QStringLiteral("2024-03-31 10:30:00.123456")};
    for (const QString& form : forms) {
        db->execute(
            QStringLiteral("UPDATE Terceiros SET Desde = '%1' WHERE Codigo = 'M'").arg(form));
        const Value read =
            db->openReadOnly(QStringLiteral("SELECT Desde FROM Terceiros WHERE Codigo = 'M'"))
                .field(0);
        EXPECT_EQ(read.toDate(), QDate(2024, 3, 31)) << form.toStdString();
        EXPECT_EQ(read.toDateTime().time().hour(), form.size() > 10 ? 10 : 0) << form.toStdString();
    }
}

TEST_P(DataAccessTest, text_compares_ignoring_case_and_trailing_spaces) {
    addTerceiro(QStringLiteral("USD"), QStringLiteral("Dólar"));
    EXPECT_EQ(db->openReadOnly(QStringLiteral("SELECT * FROM Terceiros WHERE Codigo = ?"),
                               {QStringLiteral("usd ")})
                  .rowCount(),
              1);
    EXPECT_EQ(db->openReadOnly(QStringLiteral("SELECT * FROM Terceiros WHERE Nome = ?"),
                               {QStringLiteral("DÓLAR")})
                  .rowCount(),
              1);
}

TEST_P(DataAccessTest, rollback_discards_everything_and_the_guard_rolls_back_on_error) {
    db->beginTransaction();
    EXPECT_TRUE(db->inTransaction());
    for (int i = 0; i < 1200; ++i)
        addTerceiro(QString::number(i), QStringLiteral("x"));
    db->rollback();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(QStringLiteral("Terceiros")), 0);

    try {
        Transaction transaction(*db);
        addTerceiro(QStringLiteral("a"), QStringLiteral("a"));
        db->openReadOnly(QStringLiteral("SELECT nada FROM Terceiros"));
        transaction.commit();
    } catch (const DbError&) {
    }
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(QStringLiteral("Terceiros")), 0);

    {
        Transaction transaction(*db);
        addTerceiro(QStringLiteral("b"), QStringLiteral("b"));
        transaction.commit();
    }
    EXPECT_EQ(count(QStringLiteral("Terceiros")), 1);
}

TEST_P(DataAccessTest, a_missing_database_file_is_an_error_and_is_not_created) {
    DataAccess other;
    EXPECT_THROW(
        other.connect(test::settingsFor(GetParam(), folder.path(), QStringLiteral("no.db"))),
        DbError);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("no.db"))));
}

INSTANTIATE_TEST_SUITE_P(Engines, DataAccessTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
