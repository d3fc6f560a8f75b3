#include "data/dialect.h"

#include <gtest/gtest.h>

namespace agrimor {
namespace {

// No SQL Server runs here: the statements that find a row again are pinned as text.
TEST(SqlServerDialect, a_row_is_changed_and_deleted_by_every_value_it_was_read_with) {
    const auto dialect = makeSqlServerDialect();
    const QList<ColumnInfo> columns{{QStringLiteral("BD"), Value::Kind::Integer, true},
                                    {QStringLiteral("Servidor"), Value::Kind::Text, true},
                                    {QStringLiteral("Notas"), Value::Kind::Text, false}};
    const std::vector<Value> original{Value(3), Value(), Value(QStringLiteral("longo"))};

    EXPECT_EQ(dialect->updatableSelect(QStringLiteral("zeb_CNS_Parametros"), QStringLiteral("BD=?"),
                                       QStringLiteral("BD")),
              QStringLiteral("SELECT * FROM zeb_CNS_Parametros WHERE BD=? ORDER BY BD"));

    Params params{Value(QStringLiteral("srv"))};
    EXPECT_EQ(dialect->updateRow(QStringLiteral("zeb_CNS_Parametros"), {QStringLiteral("Servidor")},
                                 columns, original, {}, params),
              QStringLiteral("UPDATE TOP (1) zeb_CNS_Parametros SET [Servidor] = ? WHERE [BD] = ? "
                             "AND [Servidor] IS NULL"));
    EXPECT_EQ(params, (Params{Value(QStringLiteral("srv")), Value(3)}));

    params.clear();
    EXPECT_EQ(
        dialect->deleteRow(QStringLiteral("zeb_CNS_Parametros"), columns, original, {}, params),
        QStringLiteral("DELETE TOP (1) FROM zeb_CNS_Parametros WHERE [BD] = ? AND "
                       "[Servidor] IS NULL"));
    EXPECT_EQ(params, (Params{Value(3)}));
    EXPECT_EQ(dialect->dateTimeText(naiveDateTime(QDate(2024, 3, 5))),
              QStringLiteral("2024-03-05T00:00:00"));
}

TEST(SqliteDialect, a_row_is_found_again_by_its_rowid) {
    const auto dialect = makeSqliteDialect();
    Params params{Value(1)};
    EXPECT_EQ(
        dialect->updateRow(QStringLiteral("T"), {QStringLiteral("A")}, {}, {}, Value(42), params),
        QStringLiteral("UPDATE T SET [A] = ? WHERE rowid = ?"));
    EXPECT_EQ(params, (Params{Value(1), Value(42)}));
    EXPECT_EQ(dialect->updatableSelect(QStringLiteral("T"), {}, {}),
              QStringLiteral("SELECT rowid AS agrimor_row_locator, * FROM T"));
}

}  // namespace
}  // namespace agrimor
