#include <gtest/gtest.h>

#include "data/data_access.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using test::EngineKind;

class BoundRowsTest : public ::testing::TestWithParam<EngineKind> {};

// From the second row on, SQLite binds an appended row's values as they are set, holding none in
// the set: a row read before it is written, or given a column the rows before it were not, must
// still be written and read as given, and setText must write what setField does.
TEST_P(BoundRowsTest, appended_rows_read_and_write_as_given_however_they_are_filled) {
    test::TempFolder folder;
    const auto db = test::createDatabase(
        GetParam(), folder.path(), QStringLiteral("t.db"),
        QStringLiteral("CREATE TABLE Linhas (N integer, Texto nvarchar(60), Valor money, "
                       "Dia datetime, Tipo smallint DEFAULT 7)"));
    const QString texts[] = {QStringLiteral("Ação"), QString(), QStringLiteral("a 😀 b")};
    const auto valor = [](int n) { return Money::fromUnits(n * 10001); };
    const auto dia = [](int n) { return naiveDateTime(QDate(2024, 3, n + 1), QTime(n, 1, 2)); };
    {
        Transaction transaction(*db);
        UpdatableRecordset rows =
            db->openUpdatable(QStringLiteral("Linhas"), QStringLiteral("1=0"));
        for (int n = 0; n < 9; ++n) {
            SCOPED_TRACE(n);
            rows.addNew();
            rows.setField(0, n);
            if (n % 2)
                rows.setText(1, texts[n % 3]);
            else
                rows.setField(QStringLiteral("Texto"), texts[n % 3]);
            rows.setField(2, valor(n));
            rows.setField(3, dia(n));
            if (n == 4)  // a column the rows before did not take
                rows.setField(QStringLiteral("Tipo"), 1);
            if (n % 3 == 1) {  // read before it is written
                EXPECT_EQ(rows.field(1).toText(), texts[n % 3]);
                EXPECT_EQ(rows.field(QStringLiteral("Valor")), Value(valor(n)));
                EXPECT_EQ(rows.field(3), Value(dia(n)));
                rows.setField(0, n);  // and set again once read
            }
            rows.update();
        }
        transaction.commit();
    }
    Recordset back = db->openReadOnly(QStringLiteral("SELECT * FROM Linhas ORDER BY N"));
    ASSERT_EQ(back.rowCount(), 9);
    for (int n = 0; n < 9; ++n, back.moveNext()) {
        SCOPED_TRACE(n);
        EXPECT_EQ(back.field(0).toInt(), n);
        EXPECT_EQ(back.field(1).toText(), texts[n % 3]);
        EXPECT_FALSE(back.isNull(QStringLiteral("Texto")));
        EXPECT_EQ(back.field(2).toMoney(), valor(n));
        EXPECT_EQ(back.field(3).toDateTime(), dia(n));
        EXPECT_EQ(back.field(4).toInt(), n == 4 ? 1 : 7);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, BoundRowsTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
