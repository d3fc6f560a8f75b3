#include "data/data_access.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include "data/db_error.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
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
        db = test::createDatabase(GetParam(), folder.path(), u"t.db"_s, kSchema);
    }

    void addTerceiro(const QString& codigo, const QString& nome, const Value& saldo = {}) {
        auto rs = db->openUpdatable(u"Terceiros"_s, u"1 = 0"_s);
        rs.addNew();
        rs.setField(u"Codigo"_s, codigo);
        rs.setField(u"Nome"_s, nome);
        rs.setField(u"Saldo"_s, saldo);
        rs.update();
    }

    int count(const QString& table) {
        return static_cast<int>(
            db->openReadOnly(u"SELECT count(*) AS n FROM "_s + table).field(u"n"_s).toInt());
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> db;
};

TEST_P(DataAccessTest, quotes_and_sql_in_values_are_stored_and_found_as_data) {
    const QString hostile = u"O'Brien'; DROP TABLE Terceiros; --"_s;
    addTerceiro(u"C'1"_s, hostile);
    const Recordset rs = db->openReadOnly(
        u"SELECT * FROM Terceiros WHERE Codigo = ? AND Nome = ?"_s, {u"C'1"_s, hostile});
    ASSERT_EQ(rs.rowCount(), 1);
    EXPECT_EQ(rs.field(u"nome"_s).toText(), hostile);
    EXPECT_EQ(count(u"Terceiros"_s), 1);
}

TEST_P(DataAccessTest, snapshot_moves_both_ways_and_outlives_its_connection) {
    for (int i = 1; i <= 3; ++i)
        addTerceiro(QString::number(i), u"T%1"_s.arg(i));
    Recordset rs = db->openReadOnly(u"SELECT Codigo, Nome, Saldo FROM Terceiros ORDER BY Codigo"_s);
    db->close();

    ASSERT_EQ(rs.rowCount(), 3);
    EXPECT_EQ(rs.field(0).toText(), u"1"_s);
    rs.moveLast();
    EXPECT_EQ(rs.field(u"NOME"_s).toText(), u"T3"_s);
    rs.movePrevious();
    EXPECT_EQ(rs.field(u"codigo"_s).toText(), u"2"_s);
    EXPECT_TRUE(rs.isNull(u"Saldo"_s));
    rs.moveNext();
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.field(0), DbError);
    rs.moveFirst();
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_EQ(rs.columnIndex(u"missing"_s), -1);
}

TEST_P(DataAccessTest, missing_table_and_column_carry_the_provider_numbers) {
    try {
        db->openReadOnly(u"select BD from  Inexistente"_s);
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), DbError::kMissingTable) << e.message().toStdString();
    }
    try {
        db->openReadOnly(u"select TpDocCL9 from  Terceiros"_s);
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), DbError::kInvalidColumn) << e.message().toStdString();
    }
    auto rs = db->openUpdatable(u"Terceiros"_s, u"1 = 0"_s);
    rs.addNew();
    EXPECT_THROW(rs.setField(u"NaoExiste"_s, 1), DbError);
}

TEST_P(DataAccessTest, change_and_delete_touch_exactly_the_row_read_in_a_keyless_table) {
    for (const auto& [bd, server] : {std::pair{3, Value(u"s1"_s)}, std::pair{3, Value(u"s2"_s)},
                                     std::pair{1, Value()}, std::pair{1, Value()}}) {
        auto rs = db->openUpdatable(u"zeb_CNS_Parametros"_s, u"1 = 0"_s);
        rs.addNew();
        rs.setField(u"BD"_s, bd);
        rs.setField(u"Servidor"_s, server);
        rs.update();
    }
    auto rs = db->openUpdatable(u"zeb_CNS_Parametros"_s, u"BD = ?"_s, {3}, u"Servidor"_s);
    ASSERT_EQ(rs.rowCount(), 2);
    rs.setField(u"Empresa"_s, u"Nova"_s);
    rs.update();
    rs.moveNext();
    rs.deleteCurrent();
    const Recordset after = db->openReadOnly(u"SELECT * FROM zeb_CNS_Parametros WHERE BD = 3"_s);
    ASSERT_EQ(after.rowCount(), 1);
    EXPECT_EQ(after.field(u"Servidor"_s).toText(), u"s1"_s);
    EXPECT_EQ(after.field(u"Empresa"_s).toText(), u"Nova"_s);

    // Of two identical rows, one is changed.
    auto same = db->openUpdatable(u"zeb_CNS_Parametros"_s, u"BD = 1"_s);
    same.setField(u"Servidor"_s, u"x"_s);
    same.update();
    EXPECT_EQ(test::countRows(*db, u"zeb_CNS_Parametros"_s, u"BD = 1 AND Servidor IS NULL"_s), 1);
}

TEST_P(DataAccessTest, money_and_dates_round_trip_exactly) {
    addTerceiro(u"M"_s, u"Money"_s, Money::parse(u"-123456789.1234").value());
    {
        auto rs = db->openUpdatable(u"Terceiros"_s, u"Codigo = ?"_s, {u"M"_s});
        rs.setField(u"Desde"_s, QDate(2024, 3, 31));
        rs.update();
    }
    const Recordset rs = db->openReadOnly(
        QStringLiteral("SELECT Saldo, Desde, month(Desde) AS m, year(Desde) AS y FROM Terceiros "
                       "WHERE Desde = ?"),
        {QDate(2024, 3, 31)});
    ASSERT_EQ(rs.rowCount(), 1);
    EXPECT_EQ(rs.field(u"Saldo"_s).toMoney().units(), -1234567891234LL);
    EXPECT_EQ(rs.field(u"Desde"_s).toDate(), QDate(2024, 3, 31));
    EXPECT_EQ(rs.field(u"m"_s).toInt(), 3);
    EXPECT_EQ(rs.field(u"y"_s).toInt(), 2024);

    // The text forms other programs store SQLite dates in read as the same date-times.
    const QStringList forms = {u"2024-03-31"_s, u"2024-03-31T10:30:00"_s, u"2024-03-31 10:30"_s,
                               u"2024-03-31 10:30:00.123456"_s};
    for (const QString& form : forms) {
        db->execute(u"UPDATE Terceiros SET Desde = '%1' WHERE Codigo = 'M'"_s.arg(form));
        const Value read =
            db->openReadOnly(u"SELECT Desde FROM Terceiros WHERE Codigo = 'M'"_s).field(0);
        EXPECT_EQ(read.toDate(), QDate(2024, 3, 31)) << form.toStdString();
        EXPECT_EQ(read.toDateTime().time().hour(), form.size() > 10 ? 10 : 0) << form.toStdString();
    }
}

TEST_P(DataAccessTest, an_empty_text_is_stored_empty_even_as_the_first_text_a_connection_binds) {
    db->execute(u"INSERT INTO Terceiros (Codigo, Nome) VALUES (?, ?)"_s, {u""_s, u""_s});
    EXPECT_EQ(count(u"Terceiros WHERE Codigo = '' AND Nome = ''"_s), 1);
}

TEST_P(DataAccessTest, text_compares_ignoring_case_and_trailing_spaces) {
    addTerceiro(u"USD"_s, u"Dólar"_s);
    EXPECT_EQ(
        db->openReadOnly(u"SELECT * FROM Terceiros WHERE Codigo = ?"_s, {u"usd "_s}).rowCount(), 1);
    EXPECT_EQ(
        db->openReadOnly(u"SELECT * FROM Terceiros WHERE Nome = ?"_s, {u"DÓLAR"_s}).rowCount(), 1);
}

TEST_P(DataAccessTest, rollback_discards_everything_and_the_guard_rolls_back_on_error) {
    db->beginTransaction();
    EXPECT_TRUE(db->inTransaction());
    for (int i = 0; i < 1200; ++i)
        addTerceiro(QString::number(i), u"x"_s);
    db->rollback();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(u"Terceiros"_s), 0);

    try {
        Transaction transaction(*db);
        addTerceiro(u"a"_s, u"a"_s);
        db->openReadOnly(u"SELECT nada FROM Terceiros"_s);
        transaction.commit();
    } catch (const DbError&) {
    }
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(u"Terceiros"_s), 0);

    {
        Transaction transaction(*db);
        addTerceiro(u"b"_s, u"b"_s);
        transaction.commit();
    }
    EXPECT_EQ(count(u"Terceiros"_s), 1);
}

TEST_P(DataAccessTest, a_missing_database_file_is_an_error_and_is_not_created) {
    DataAccess other;
    EXPECT_THROW(other.connect(test::settingsFor(GetParam(), folder.path(), u"no.db"_s)), DbError);
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"no.db"_s)));
}

INSTANTIATE_TEST_SUITE_P(Engines, DataAccessTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
