// The board's screen: figures in the cells' tooltips and the detail, the job a double click asks
// for, and a refresh that shows what a job wrote meanwhile.

#include "monthboard/screen/month_board_screen.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>

#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

TEST(MonthBoardScreen,
     shows_each_cells_figures_and_asks_for_the_next_job_of_a_double_clicked_cell) {
    test::ConsolidationSetup setup(test::EngineKind::Sqlite, 2024);
    setup.addAccounts({QStringLiteral("91")}, 2024);
    for (const int bd : {1, 2}) {
        DataAccess& company = setup.addCompany(bd);
        company.execute(QStringLiteral("INSERT INTO POC (Conta, Exercicio) VALUES ('21', 2024)"));
    }
    setup.addMovements(1, {test::line(QStringLiteral("A1"), QStringLiteral("FT"), 1, 1,
                                      QStringLiteral("21"), 1, QStringLiteral("10"), 3),
                           test::line(QStringLiteral("A2"), QStringLiteral("FT"), 1, 2,
                                      QStringLiteral("21"), 2, QStringLiteral("10"), 3)});
    setup.addMovements(2, {test::line(QStringLiteral("B1"), QStringLiteral("CL9"), 1, 1,
                                      QStringLiteral("91"), 1, QStringLiteral("10"), 4)});
    setup.addConsolidatedMovements(
        {test::line(QStringLiteral("C1"), QStringLiteral("CNS"), 1, 1, QStringLiteral("91"), 1,
                    QStringLiteral("10"), 4, 2024, QStringLiteral("2"))});

    test::ScriptedPrompter prompter;
    MonthBoardScreen screen(setup.consolidated(), prompter, 2024);
    EXPECT_TRUE(prompter.prompts().empty()) << qPrintable(prompter.texts().join(u'\n'));
    const QString march = screen.grid()->item(0, 2)->toolTip();
    EXPECT_TRUE(march.contains(QStringLiteral("Movimentos gerais do mês: 2"))) << qPrintable(march);
    EXPECT_TRUE(march.contains(QStringLiteral("Linhas de classe 9 integradas: 0")));

    QSignalSpy opened(&screen, &MonthBoardScreen::openJob);
    screen.selectCell(1, 3);
    EXPECT_TRUE(screen.detail()->text().contains(QStringLiteral("Movimentos gerais do mês: 2")));
    // The selected cell keeps its colour: the selection frames it.
    screen.resize(1000, 500);
    screen.show();
    QCoreApplication::processEvents();
    const QRect cell = screen.grid()->visualRect(screen.grid()->model()->index(0, 2));
    const QImage drawn = screen.grid()->viewport()->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(cell.left() + 8, cell.bottom() - 8),
              screen.grid()->item(0, 2)->background().color());
    emit screen.grid()->cellDoubleClicked(0, 2);
    emit screen.grid()->cellDoubleClicked(1, 3);
    emit screen.grid()->cellDoubleClicked(0, 6);
    ASSERT_EQ(opened.size(), 3);
    const auto job = [&](int at) { return opened.at(at).at(0).value<NextJob>(); };
    EXPECT_EQ(job(0), NextJob::Class9);
    EXPECT_EQ(opened.at(0).mid(1), (QList<QVariant>{1, 2024, 3}));
    EXPECT_EQ(job(1), NextJob::Consolidation);
    EXPECT_EQ(job(2), NextJob::MovementImport);

    // The class-9 lines of March written meanwhile: the refreshed board shows them, and the
    // selection stays where it was.
    setup.addMovements(1, {test::line(QStringLiteral("A3"), QStringLiteral("CL9"), 1, 1,
                                      QStringLiteral("91"), 1, QStringLiteral("10"), 3)});
    screen.refresh();
    EXPECT_TRUE(
        screen.detail()->text().contains(QStringLiteral("Linhas de classe 9 integradas: 1")))
        << qPrintable(screen.detail()->text());
}

}  // namespace
}  // namespace agrimor
