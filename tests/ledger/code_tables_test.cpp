// Codes looked up at once give the answers the lookups one at a time give, in a few statements.

#include "ledger/code_tables.h"

#include <gtest/gtest.h>

#include "data/data_access.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

class CodeTablesAtOnce : public ::testing::TestWithParam<test::EngineKind> {};

TEST_P(CodeTablesAtOnce, answer_as_one_at_a_time_in_a_statement_per_table_and_64_codes) {
    test::TempFolder folder;
    const std::unique_ptr<DataAccess> db = test::createDatabase(
        GetParam(), folder.path(), QStringLiteral("empresa.db"),
        QStringLiteral("create table POC (Conta nvarchar(15) collate ci_rtrim, Exercicio smallint, "
                       "Descr nvarchar(40), NivInt smallint);"
                       "create table Fornec (Codigo nvarchar(15) collate ci_rtrim);"
                       "insert into POC values ('611', 2024, 'a', 0), ('612', 2024, 'b', null),"
                       " ('61', 2024, 'c', 2), ('611', 2023, 'd', 0);"
                       "insert into Fornec values ('F''1'), ('f2  ');"));
    for (int n = 0; n < 100; ++n)
        db->execute(QStringLiteral("insert into Fornec values (?)"),
                    {QStringLiteral("X%1").arg(n)});

    // Accounts of each kind, codes found through the table's collation and a quote, codes absent,
    // more suppliers than one statement holds.
    QStringList suppliers{QStringLiteral("F'1"), QStringLiteral("F2"), QStringLiteral("nada")};
    for (int n = 0; n < 150; n += 2)
        suppliers << QStringLiteral("X%1").arg(n);
    const auto ask = [&](CodeTables& tables) {
        QList<bool> answers;
        for (const QString& account : {QStringLiteral("611"), QStringLiteral("612"),
                                       QStringLiteral("61"), QStringLiteral("6")})
            for (const int year : {2023, 2024})
                answers << tables.account(account, year);
        for (const QString& code : suppliers)
            answers << tables.thirdParty(1, code);
        return answers;
    };
    CodeTables single(*db);
    const QList<bool> expected = ask(single);
    EXPECT_EQ(expected.count(true), 3 + 2 + 50);

    CodeTables batched(*db);
    const std::int64_t before = db->roundTrips();
    batched.lookUpAtOnce([&] { ask(batched); });
    EXPECT_EQ(db->roundTrips() - before, 1 + 2);  // the accounts, the suppliers in two
    EXPECT_EQ(ask(batched), expected);
    EXPECT_EQ(db->roundTrips() - before, 3) << "the answers are kept";
}

INSTANTIATE_TEST_SUITE_P(Engines, CodeTablesAtOnce,
                         ::testing::Values(test::EngineKind::Sqlite, test::EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
