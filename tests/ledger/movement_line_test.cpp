#include "ledger/movement_line.h"

#include <gtest/gtest.h>

#include "data/data_access.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

class MovementWriterTest : public ::testing::TestWithParam<test::EngineKind> {};

// A column given no value keeps the database's default, one given null is null; lines giving
// different columns, batched in one transaction, each get their own INSERT.
TEST_P(MovementWriterTest, unset_columns_keep_their_default_and_null_stays_null) {
    test::TempFolder folder;
    const std::unique_ptr<DataAccess> db = test::createDatabase(
        GetParam(), folder.path(), u"empresa.db"_s,
        QStringLiteral("create table MovCTB (Ano smallint, NumLinha smallint, Conta nvarchar(15), "
                       "Descr nvarchar(100) default 'por omissao', Nat smallint default 7)"));
    {
        Transaction transaction(*db);
        MovementWriter writer(*db);
        ASSERT_EQ(writer.role(writer.column(u"CONTA"_s)), MovementRole::Account);
        const int ano = writer.column(u"Ano"_s);
        const int line = writer.column(u"NumLinha"_s);
        const int conta = writer.column(u"Conta"_s);
        const int descr = writer.column(u"Descr"_s);
        const Value null;
        for (int n = 1; n <= 3; ++n) {
            MovementLine& movement = writer.newLine();
            movement.set(ano, 2024);
            movement.set(line, n);
            if (n != 2)
                movement.set(conta, u"611"_s);
            if (n == 3)
                movement.set(descr, null);
            writer.write();
        }
        transaction.commit();
    }
    Recordset rows =
        db->openReadOnly(u"Select Conta, Descr, Nat from MovCTB order by NumLinha"_s, {});
    ASSERT_EQ(rows.rowCount(), 3);
    rows.moveFirst();
    EXPECT_EQ(rows.field(0).toText(), u"611"_s);
    EXPECT_EQ(rows.field(1).toText(), u"por omissao"_s);
    EXPECT_EQ(rows.field(2).toInt(), 7);
    rows.moveNext();
    EXPECT_TRUE(rows.field(0).isNull());
    EXPECT_EQ(rows.field(1).toText(), u"por omissao"_s);
    rows.moveNext();
    EXPECT_EQ(rows.field(0).toText(), u"611"_s);
    EXPECT_TRUE(rows.field(1).isNull());
    EXPECT_EQ(rows.field(2).toInt(), 7);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, MovementWriterTest,
                         ::testing::Values(test::EngineKind::Sqlite, test::EngineKind::OdbcSqlite));

}  // namespace
}  // namespace agrimor
