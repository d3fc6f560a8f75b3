#include "tools/seeder/demo_seeder.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHash>

#include "data/data_access.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using demo::Company;

// Every document of every demo company balances, in whole cents on a debit or a credit: the
// demo's months pass the check-ups that the demo tests run.
TEST(SeededDemo, DocumentsBalanceInWholeCents) {
    test::TempFolder folder;
    demo::seedDemo(folder.path());
    for (const Company& company : demo::companies()) {
        Recordset lines = demo::openDatabase(folder.file(company.file))
                              ->openReadOnly(QStringLiteral("SELECT * FROM MovCTB"));
        QHash<QString, Money> balance;
        for (; !lines.eof(); lines.moveNext()) {
            const QString document = QStringLiteral("%1/%2/%3/%4")
                                         .arg(lines.field(QStringLiteral("TpDoc")).toText(),
                                              lines.field(QStringLiteral("Ano")).toText(),
                                              lines.field(QStringLiteral("Serie")).toText(),
                                              lines.field(QStringLiteral("NumDoc")).toText());
            const int dbCr = static_cast<int>(lines.field(QStringLiteral("DbCr")).toInt());
            const Money value = lines.field(QStringLiteral("Valor")).toMoney();
            ASSERT_TRUE(dbCr == 1 || dbCr == 2) << document.toStdString();
            EXPECT_EQ(value, value.roundedTo(2)) << document.toStdString();
            balance[document] += dbCr == 1 ? value : -value;
        }
        for (auto it = balance.cbegin(); it != balance.cend(); ++it)
            EXPECT_TRUE(it.value().isZero())
                << company.name.toStdString() << " " << it.key().toStdString() << " off by "
                << it.value().toString().toStdString();
    }
}

// What tests build their own small company databases with.
TEST(DemoSeeder, InsertedMovementsTakeTheirDefaultsFromTheDocumentDate) {
    test::TempFolder folder;
    const QString file = folder.file(QStringLiteral("Empresa.db"));
    {
        auto db = demo::createCompanyDatabase(file);
        demo::seedMasterData(*db, {2024});
        demo::Movement line;
        line.tpDoc = QStringLiteral("FC");
        line.numDoc = 7;
        line.numLinha = 1;
        line.conta = QStringLiteral("6221");
        line.valor = Money::fromUnits(1000) + Money::fromUnits(2000);
        line.dataDoc = QDate(2024, 3, 5);
        demo::Movement credit = line;
        credit.numLinha = 2;
        credit.conta = QStringLiteral("221");
        credit.dbCr = 2;
        credit.dataR = QDate(2024, 3, 8);
        demo::insertMovements(*db, {line, credit});
    }
    EXPECT_THROW(demo::createCompanyDatabase(file), demo::ExistingFileError);

    auto db = demo::openDatabase(file);
    // Text columns compare as the server's default collation does.
    Recordset rows = db->openReadOnly(
        QStringLiteral("SELECT * FROM MovCTB WHERE TpDoc = 'fc  ' ORDER BY NumLinha"));
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.field(QStringLiteral("Ano")).toInt(), 2024);
    EXPECT_EQ(rows.field(QStringLiteral("Exercicio")).toInt(), 2024);
    EXPECT_EQ(rows.field(QStringLiteral("Mes")).toInt(), 3);
    EXPECT_EQ(rows.field(QStringLiteral("Valor")).toMoney(), Money::fromUnits(3000));
    EXPECT_EQ(rows.field(QStringLiteral("DataR")).toDate(), QDate(2024, 3, 5));
    rows.moveNext();
    EXPECT_EQ(rows.field(QStringLiteral("DataAl")).toDate(), QDate(2024, 3, 8));
    EXPECT_EQ(rows.field(QStringLiteral("SystemEntryDate")).toDateTime(),
              naiveDateTime(QDate(2024, 3, 8), QTime(18, 0)));
    EXPECT_FALSE(
        db->openReadOnly(
              QStringLiteral("SELECT * FROM POC WHERE Conta = '9999 ' AND Exercicio = 2024"))
            .isEmpty());
    EXPECT_TRUE(
        db->openReadOnly(QStringLiteral("SELECT * FROM POC WHERE Exercicio = 2025")).isEmpty());
}

TEST(DemoSeeder, SameOptionsGiveTheSameRowsAndExistingFilesNeedForce) {
    test::TempFolder first;
    test::TempFolder second;
    demo::SeedOptions options;
    options.movementLines = 120;
    demo::seedDemo(first.path(), options);
    demo::seedDemo(second.path(), options);
    const Company& company = demo::companies().last();
    const QString sql =
        QStringLiteral("SELECT * FROM MovCTB ORDER BY Ano, TpDoc, Serie, NumDoc, NumLinha");
    Recordset a = demo::openDatabase(first.file(company.file))->openReadOnly(sql);
    Recordset b = demo::openDatabase(second.file(company.file))->openReadOnly(sql);
    ASSERT_EQ(a.rowCount(), b.rowCount());
    for (; !a.eof(); a.moveNext(), b.moveNext())
        for (int c = 0; c < a.columnCount(); ++c)
            ASSERT_EQ(a.field(c), b.field(c)) << a.columnName(c).toStdString();

    // Without force nothing is touched; with it the demo is rebuilt, here at another size.
    const QString file = first.file(company.file);
    const qint64 before = QFileInfo(file).size();
    EXPECT_THROW(demo::seedDemo(first.path(), options), demo::ExistingFileError);
    EXPECT_EQ(QFileInfo(file).size(), before);
    options.force = true;
    options.movementLines = 1200;
    const demo::SeedSummary bigger = demo::seedDemo(first.path(), options);
    for (const demo::CompanySummary& summary : bigger.companies) {
        EXPECT_GT(summary.lines, 1100);
        EXPECT_LT(summary.lines, 1300);
    }
}

}  // namespace
}  // namespace agrimor
