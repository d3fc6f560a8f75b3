// "Histórico": the runs newest first, a filter, and the undo button offered only for an import
// that ended "efetuado" and is not undone, the list read again after an undo.

#include "ui/history_screen.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

#include "data/data_access.h"
#include "data/own_tables.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

TEST(HistoryScreen, offers_the_undo_of_a_done_import_only_and_reloads_after_it) {
    test::TempFolder folder;
    auto shared =
        test::createDatabase(test::EngineKind::Sqlite, folder.path(), QStringLiteral("c.db"));
    ensureOwnTables(*shared);
    for (const auto& [task, result] :
         {std::pair{"consolidacao", "efetuado"}, std::pair{"importacao", "efetuado"},
          std::pair{"importacao", "erro"}}) {
        RunRecord run = startRun(QLatin1String(task), 1, QStringLiteral("Velmor"), *shared);
        run.result = QLatin1String(result);
        appendRun(*shared, run);
    }
    test::ScriptedPrompter prompter;
    std::vector<std::int64_t> undone;
    HistoryScreen screen(*shared, prompter, {QStringLiteral("Velmor")}, [&](std::int64_t id) {
        undone.push_back(id);
        markRunUndone(*shared, id, QDateTime::currentDateTime());
    });
    QTableWidget* grid = screen.grid();
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("3"));  // newest first
    EXPECT_FALSE(screen.undoButton()->isEnabled());            // the failed import
    grid->selectRow(1);
    EXPECT_TRUE(screen.undoButton()->isEnabled());
    grid->selectRow(2);
    EXPECT_FALSE(screen.undoButton()->isEnabled());  // not an import

    screen.taskFilter()->setCurrentText(QStringLiteral("importacao"));
    screen.reload();
    ASSERT_EQ(grid->rowCount(), 2);
    grid->selectRow(1);
    screen.undoButton()->click();
    EXPECT_EQ(undone, std::vector<std::int64_t>{2});
    ASSERT_EQ(grid->rowCount(), 2);
    grid->selectRow(1);
    EXPECT_FALSE(grid->item(1, grid->columnCount() - 1)->text().isEmpty());
    EXPECT_FALSE(screen.undoButton()->isEnabled());
}

}  // namespace
}  // namespace agrimor
