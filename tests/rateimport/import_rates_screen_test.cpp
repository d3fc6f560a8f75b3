#include "rateimport/screen/import_rates_screen.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>

#include "data/data_access.h"
#include "data/own_tables.h"
#include "rateimport/screen/grid_report.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "workbook/workbook_writer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

class RateImportScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = test::createDatabase(test::EngineKind::Sqlite, folder.path(), u"c.db"_s);
        ensureOwnTables(*db);
        FileDialogs dialogs;
        dialogs.open = [this](QWidget*, const QString& startFolder, const QString& filter) {
            seenFolders << startFolder;
            EXPECT_EQ(filter, u"Excel (*.xls*)"_s);
            return nextFile;
        };
        dialogs.save = [this](QWidget*, const QString&, const QString&) { return saveAs; };
        dialogs.openWithDefaultApplication = [this](const QString& path) {
            opened << path;
            return true;
        };
        screen = std::make_unique<RateImportScreen>(*db, prompter, dialogs);
        screen->show();
    }

    QString rateBook(int rows, const QString& name = u"Cambios.xlsx"_s) {
        SheetData sheet{
            u"Câmbios"_s,
            {{Cell::ofText(u"Moeda"_s), Cell::ofText(u"Data"_s), Cell::ofText(u"Câmbio"_s)}},
            {}};
        for (int i = 0; i < rows; ++i)
            sheet.rows.push_back({Cell::ofText(u"USD"_s),
                                  Cell::ofDate(QDate(2024, 1, 1).addDays(i)),
                                  Cell::ofNumber(1.1 + i / 1000.0)});
        writeWorkbook(folder.file(name), {sheet}, workbookFormatFor(name));
        return folder.file(name);
    }

    QPushButton* button(const char* name) const {
        return screen->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    int storedRows() { return test::countRows(*db, u"zeb_CNS_Cambios"_s); }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> db;
    test::ScriptedPrompter prompter;
    std::unique_ptr<RateImportScreen> screen;
    QString nextFile;
    QString saveAs;
    QStringList seenFolders;
    QStringList opened;
};

TEST_F(RateImportScreenTest, a_workbook_is_read_reviewed_and_stored_on_confirmation) {
    EXPECT_FALSE(button("btConf")->isEnabled());
    EXPECT_TRUE(button("btImp")->isHidden());

    nextFile = rateBook(40);
    screen->chooseFile();
    EXPECT_TRUE(prompter.prompts().empty()) << prompter.lastText().toStdString();
    EXPECT_EQ(screen->fileField()->text(), nextFile);
    EXPECT_EQ(screen->fileChoice().folder, folder.path() + QLatin1Char('/'));
    EXPECT_EQ(screen->sheetList()->currentItem()->text(), u"Câmbios"_s);
    EXPECT_TRUE(screen->grid()->isVisible());
    EXPECT_EQ(screen->grid()->model()->rowCount(), 40);
    EXPECT_TRUE(button("btConf")->isEnabled());
    EXPECT_TRUE(button("btExcel")->isVisible());

    // A second choice starts in the remembered folder; cancelling empties the field only.
    nextFile.clear();
    screen->chooseFile();
    EXPECT_EQ(seenFolders.last(), folder.path() + QLatin1Char('/'));
    EXPECT_EQ(screen->fileField()->text(), QString());
    EXPECT_EQ(screen->grid()->model()->rowCount(), 40);

    prompter.answer(Answer::Cancel);
    screen->confirm();
    EXPECT_EQ(storedRows(), 0);
    prompter.answer(Answer::Ok);
    screen->confirm();
    EXPECT_EQ(prompter.texts(),
              (QStringList{u"Vai proceder à gravação da informação.\r\nPretende continuar?"_s,
                           u"Vai proceder à gravação da informação.\r\nPretende continuar?"_s}));
    EXPECT_EQ(storedRows(), 40);
    EXPECT_TRUE(screen->grid()->isHidden());
    EXPECT_FALSE(button("btConf")->isEnabled());
    EXPECT_TRUE(button("btFx0")->hasFocus() || !screen->isActiveWindow());
}

TEST_F(RateImportScreenTest,
       a_file_that_is_not_a_workbook_is_reported_and_the_screen_stays_usable) {
    nextFile = folder.file(u"notas.xls"_s);
    QFile file(nextFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("isto não é um livro");
    file.close();
    screen->chooseFile();
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_TRUE(
        prompter.lastText().startsWith(u"-2147467259 - O ficheiro não é um livro de Excel"_s));
    EXPECT_TRUE(prompter.lastText().endsWith(u" - Abrir_Ficheiro_Excel"_s));
    EXPECT_FALSE(button("btConf")->isEnabled());

    nextFile = rateBook(2, u"ok.xls"_s);
    screen->chooseFile();
    EXPECT_EQ(screen->rates().size(), 2);
}

TEST_F(RateImportScreenTest, the_print_preview_takes_the_grids_place_and_gives_it_back) {
    nextFile = rateBook(120);
    screen->chooseFile();
    const QRect gridPlace = screen->grid()->geometry();
    button("btImp")->click();
    EXPECT_TRUE(screen->viewer()->isVisible());
    EXPECT_TRUE(screen->grid()->isHidden());
    EXPECT_FALSE(button("btConf")->isEnabled());
    EXPECT_EQ(screen->viewer()->x(), gridPlace.x());
    EXPECT_EQ(screen->viewer()->width(), gridPlace.width());
    EXPECT_GT(screen->viewer()->pageCount(), 1);
    // Next page, then back and forward through the pages seen.
    screen->viewer()->tools()[8]->trigger();
    EXPECT_EQ(screen->viewer()->currentPage(), 2);
    screen->viewer()->tools()[10]->trigger();
    EXPECT_EQ(screen->viewer()->currentPage(), 1);
    screen->viewer()->tools()[9]->trigger();
    EXPECT_EQ(screen->viewer()->currentPage(), 2);

    button("btImp")->click();
    EXPECT_TRUE(screen->viewer()->isHidden());
    EXPECT_TRUE(screen->grid()->isVisible());
    EXPECT_TRUE(button("btConf")->isEnabled());

    saveAs = folder.file(u"grelha.xls"_s);
    button("btExcel")->click();
    EXPECT_EQ(opened, QStringList{saveAs});
    EXPECT_TRUE(button("btSair")->isEnabled());
}

}  // namespace
}  // namespace agrimor
