#include "tools/seeder/demo_seeder.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHash>

#include "data/data_access.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using demo::Company;

// Every document of every demo company balances, in whole cents on a debit or a credit: the
// demo's months pass the check-ups that the demo tests run.
TEST(SeededDemo, DocumentsBalanceInWholeCents) {
    test::TempFolder folder;
    demo::seedDemo(folder.path());
    for (const Company& company : demo::companies()) {
        Recordset lines =
            demo::openDatabase(folder.file(company.file))->openReadOnly(u"SELECT * FROM MovCTB"_s);
        QHash<QString, Money> balance;
        for (; !lines.eof(); lines.moveNext()) {
            const QString document = u"%1/%2/%3/%4"_s.arg(
                lines.field(u"TpDoc"_s).toText(), lines.field(u"Ano"_s).toText(),
                lines.field(u"Serie"_s).toText(), lines.field(u"NumDoc"_s).toText());
            const int dbCr = static_cast<int>(lines.field(u"DbCr"_s).toInt());
            const Money value = lines.field(u"Valor"_s).toMoney();
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

TEST(DemoSeeder, SameOptionsGiveTheSameRowsAndExistingFilesNeedForce) {
    test::TempFolder first;
    test::TempFolder second;
    demo::SeedOptions options;
    options.movementLines = 120;
    demo::seedDemo(first.path(), options);
    demo::seedDemo(second.path(), options);
    const Company& company = demo::companies().last();
    const QString sql = u"SELECT * FROM MovCTB ORDER BY Ano, TpDoc, Serie, NumDoc, NumLinha"_s;
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
