// The board of the demo after its month-end script (run-demo.sh): the check-up and consolidation
// of month 10 for every company through agrimor-batch, then agrimor-batch estado.

#include <gtest/gtest.h>

#include <QProcess>

#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

namespace agrimor {
namespace {

struct Output {
    int exitCode = -1;
    QString text;
};

Output batch(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(AGRIMOR_BATCH), arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

TEST(MonthBoardDemo, month_10_is_consolidated_and_month_11_waits_for_its_class_9_lines) {
    test::TempFolder folder;
    demo::seedDemo(folder.path());
    const QString year = QString::number(demo::kDemoYear);
    const QStringList period{QStringLiteral("--year"),
                             year,
                             QStringLiteral("--month"),
                             QStringLiteral("10"),
                             QStringLiteral("--companies"),
                             QStringLiteral("all"),
                             QStringLiteral("--yes"),
                             QStringLiteral("--data-folder"),
                             folder.path()};
    ASSERT_EQ(batch(QStringList{QStringLiteral("checkup")} + period).exitCode, 0);
    ASSERT_EQ(batch(QStringList{QStringLiteral("consolidate")} + period).exitCode, 0);

    const Output board = batch({QStringLiteral("estado"), QStringLiteral("--year"), year,
                                QStringLiteral("--data-folder"), folder.path()});
    ASSERT_EQ(board.exitCode, 0) << qPrintable(board.text);
    QStringList lines = board.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 6 * 12) << qPrintable(board.text);
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Empresa\tMes\tMovimentos\tClasse9\tCambios\t"
                                                "Anomalias\tConsolidado\tConsolidadoEm"));
    for (int bd = 1; bd <= 6; ++bd) {
        for (int month = 1; month <= 12; ++month) {
            const QString line = lines.at((bd - 1) * 12 + month - 1);
            SCOPED_TRACE(line.toStdString());
            const QStringList fields = line.split(QLatin1Char('\t'));
            ASSERT_EQ(fields.size(), 8);
            EXPECT_EQ(fields.mid(0, 2), (QStringList{QString::number(bd), QString::number(month)}));
            // "Velmor Sul" keeps its books in USD, with the demo's rates for every month.
            EXPECT_EQ(fields.at(4) == QLatin1String("-"), bd != 6);
            // Consolidado: October only; Classe9 integrated up to October; November's general
            // lines still to integrate; nothing in December.
            EXPECT_EQ(fields.at(6).toInt() > 0, month == 10);
            EXPECT_EQ(fields.at(3).toInt() > 0, month <= 10);
            EXPECT_EQ(fields.at(2).toInt() > 0, month <= 11);
        }
    }
}

}  // namespace
}  // namespace agrimor
