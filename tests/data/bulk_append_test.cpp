#include <gtest/gtest.h>

#include "data/data_access.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using test::EngineKind;

class BulkAppendTest : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        db = test::createDatabase(
            GetParam(), folder.path(), QStringLiteral("t.db"),
            QStringLiteral("CREATE TABLE Linhas (N integer, Texto nvarchar(60), Valor money, "
                           "Dia datetime, Tipo smallint DEFAULT 7)"));
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> db;
};

// Rows appended through one result set reuse the storage of the row before and bind their texts
// from one buffer: every row must come back as given, whatever the row before it held, and a
// column not given must keep its default even when the row before gave it.
TEST_P(BulkAppendTest, appended_rows_come_back_as_given_whatever_the_row_before) {
    const QStringList texts = {QStringLiteral("simples"),
                               QStringLiteral("Ação n.º 1"),
                               QStringLiteral("custo 20 €"),
                               QStringLiteral("O'Brien 😀 fim"),
                               QString(),
                               QStringLiteral("x")};
    {
        Transaction transaction(*db);
        UpdatableRecordset rows =
            db->openUpdatable(QStringLiteral("Linhas"), QStringLiteral("1=0"));
        for (int n = 0; n < 12; ++n) {
            rows.addNew();
            rows.setField(0, n);
            rows.setField(QStringLiteral("Texto"), texts.at(n % texts.size()));
            rows.setField(QStringLiteral("Valor"), Money::fromUnits(n * 12345));
            if (n % 3 != 2)  // every third row leaves the day and the type out
                rows.setField(QStringLiteral("Dia"),
                              naiveDateTime(QDate(2024, 1 + n, 28), QTime(n, 5, 7)));
            if (n % 3 == 0)
                rows.setField(QStringLiteral("Tipo"), n);
            rows.update();
        }
        transaction.commit();
    }
    const Recordset back = db->openReadOnly(QStringLiteral("SELECT * FROM Linhas ORDER BY N"));
    ASSERT_EQ(back.rowCount(), 12);
    Recordset rows = back;
    for (int n = 0; n < 12; ++n, rows.moveNext()) {
        SCOPED_TRACE(n);
        EXPECT_EQ(rows.field(QStringLiteral("Texto")).toText(), texts.at(n % texts.size()));
        EXPECT_EQ(rows.field(QStringLiteral("Valor")).toMoney(), Money::fromUnits(n * 12345));
        if (n % 3 == 2)
            EXPECT_TRUE(rows.isNull(QStringLiteral("Dia")));
        else
            EXPECT_EQ(rows.field(QStringLiteral("Dia")).toDateTime(),
                      naiveDateTime(QDate(2024, 1 + n, 28), QTime(n, 5, 7)));
        EXPECT_EQ(rows.field(QStringLiteral("Tipo")).toInt(), n % 3 == 0 ? n : 7);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, BulkAppendTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
