// The movement import screen on the seeded demo, under the offscreen platform: the company list,
// reading a workbook into the grid, an import from the confirm button to the rows in the
// company's database, anomalies pointing at their lines, failures, and the main window's item.

#include "movimport/screen/import_screen.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>

#include "app/screens.h"
#include "data/data_access.h"
#include "movimport/screen/anomaly_rows_model.h"
#include "movimport/screen/import_totals_dialog.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"
#include "ui/main_window.h"
#include "ui/parameters_screen.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using L = ImportLinesTable;

const QDateTime kNow(QDate(2026, 12, 20), QTime(16, 45, 10));
const QString kQuestion = u"Vai proceder à importação de Movimentos!\r\nPretende continuar?"_s;

QStringList companyNames() {
    QStringList names;
    for (const demo::Company& company : demo::companies())
        names << company.name;
    return names;
}

class ImportScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        seeded_ = new test::TempFolder;
        demo::seedDemo(seeded_->path());
    }
    static void TearDownTestSuite() { delete seeded_; }

    ImportScreen() {
        // Each test works on a copy of the demo.
        for (const QString& name : QDir(seeded_->path()).entryList(QDir::Files))
            QFile::copy(seeded_->file(name), folder.file(name));
        shared.connect(test::settingsFor(test::EngineKind::Sqlite, folder.path(),
                                         demo::consolidatedFileName()));
    }

    void open() {
        FileDialogs dialogs;
        dialogs.open = [this](QWidget*, const QString&, const QString& filter) {
            EXPECT_EQ(filter, u"Excel (*.xls*)"_s);
            return chosen;
        };
        screen = std::make_unique<MovementImportScreen>(shared, prompter, companyNames(),
                                                        folder.path(), dialogs);
        screen->setClock([] { return kNow; });
        screen->setDialogRunner([this](QDialog& dialog) {
            if (const auto* totals = qobject_cast<ImportTotalsDialog*>(&dialog))
                totalsRows = totals->model().rowCount();
            else if (const auto* parameters = qobject_cast<ParametersScreen*>(&dialog))
                parametersOf = parameters->bd();
        });
        screen->show();
    }

    void choose(const QString& base, WorkbookFormat format = WorkbookFormat::Xlsx) {
        chosen = folder.file(demo::sampleFileName(base, format));
        screen->button(u"btFx"_s)->click();
    }

    std::int64_t written(const char* where = "Origem = 9") {
        return test::countRows(*demo::openDatabase(folder.file(demo::companies().front().file)),
                               u"MovCTB"_s, QLatin1String(where));
    }

    static test::TempFolder* seeded_;
    test::TempFolder folder;
    DataAccess shared;
    test::ScriptedPrompter prompter;
    std::unique_ptr<MovementImportScreen> screen;
    QString chosen;
    int totalsRows = -1;
    int parametersOf = 0;
};

test::TempFolder* ImportScreen::seeded_ = nullptr;

TEST_F(ImportScreen, a_workbook_fills_the_grid_laid_out_column_by_column) {
    open();
    chosen.clear();
    screen->button(u"btFx"_s)->click();
    EXPECT_TRUE(screen->fileField()->text().isEmpty());
    EXPECT_FALSE(screen->grid()->isVisible());

    choose(demo::kMovementSample);
    EXPECT_EQ(screen->fileField()->text(), chosen);
    ASSERT_EQ(screen->sheetList()->count(), 1);
    EXPECT_EQ(screen->sheetList()->currentItem()->text(), demo::kMovementSample);
    EXPECT_TRUE(screen->grid()->isVisible());
    const int lines = static_cast<int>(demo::movementSampleSheet({}).rows.size()) - 1;
    EXPECT_EQ(screen->grid()->model()->rowCount(), lines);

    // An edit in the grid reaches the lines table the import reads.
    QAbstractItemModel* model = screen->grid()->model();
    ASSERT_TRUE(model->setData(model->index(0, L::Descr), u"Corrigido"_s));
    EXPECT_EQ(screen->lines().value(0, L::Descr).toText(), u"Corrigido"_s);

    // A dialog left without a choice changes nothing: the field still names the lines shown.
    const QString read = chosen;
    chosen.clear();
    screen->button(u"btFx"_s)->click();
    EXPECT_EQ(screen->fileField()->text(), read);
    EXPECT_EQ(screen->lines().size(), lines);

    // A file that is no workbook: a message, and the lines of the one before are gone with
    // their grid, so confirming finds nothing to import.
    QFile junk(folder.file(u"lixo.xlsx"_s));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a workbook");
    junk.close();
    chosen = junk.fileName();
    screen->button(u"btFx"_s)->click();
    ASSERT_EQ(prompter.texts().size(), 1);
    EXPECT_TRUE(prompter.lastText().endsWith(u" - Abrir_Ficheiro_Excel"_s));
    EXPECT_EQ(screen->fileField()->text(), chosen);
    EXPECT_FALSE(screen->grid()->isVisible());
    EXPECT_EQ(screen->sheetList()->count(), 0);
    screen->button(u"btConf"_s)->click();
    EXPECT_EQ(prompter.lastText(), QString::fromUtf8("Não há movimentos a importar: escolha o "
                                                     "ficheiro Excel e a folha dos movimentos."));
    EXPECT_EQ(written(), 0);
}

TEST_F(ImportScreen, confirm_imports_the_demo_movements_and_clears_the_screen) {
    open();
    choose(demo::kMovementSample);
    const int lines = screen->lines().size();
    prompter.answer(Answer::Ok);
    screen->button(u"btConf"_s)->click();
    EXPECT_EQ(prompter.texts(), (QStringList{u"Empresa:  Velmor\r\nCheckUp efetuado com sucesso!"_s,
                                             kQuestion, u"Tarefa Terminada!"_s}));
    EXPECT_GT(totalsRows, 1);
    EXPECT_EQ(written(), lines);
    EXPECT_EQ(written("Origem = 9 AND DataR = '2026-12-20 00:00:00'"), lines);
    // Cleared: nothing left to import twice.
    EXPECT_FALSE(screen->grid()->isVisible());
    EXPECT_EQ(screen->lines().size(), 0);
    EXPECT_TRUE(screen->fileField()->text().isEmpty());
    EXPECT_FALSE(screen->progressBar()->isVisible());
    EXPECT_LT(screen->progressBar()->value(), screen->progressBar()->minimum());  // empty

    // Cancel in the question writes nothing and keeps the grid.
    prompter.clear();
    choose(demo::kMovementSample, WorkbookFormat::Xls);
    prompter.answer(Answer::Cancel);
    screen->button(u"btConf"_s)->click();
    EXPECT_EQ(prompter.texts().size(), 2);
    EXPECT_EQ(written(), lines);
    EXPECT_TRUE(screen->grid()->isVisible());
    EXPECT_EQ(screen->lines().size(), lines);
}

TEST_F(ImportScreen, anomalies_shade_their_lines_and_lead_to_them) {
    open();
    choose(demo::kAnomalySample);
    screen->button(u"btConf"_s)->click();
    ASSERT_EQ(prompter.texts().size(), 2);
    EXPECT_TRUE(prompter.texts().front().contains(u"Anomalias detetadas!"_s));
    EXPECT_EQ(prompter.lastText(), u"Deve corrigir o excel de importação!"_s);
    EXPECT_EQ(written(), 0);

    // The check-up's bar is not left standing full; the list below the grid shows each text.
    EXPECT_FALSE(screen->progressBar()->isVisible());
    QListWidget* list = screen->anomalyList();
    ASSERT_TRUE(list->isVisible());
    ASSERT_GT(list->count(), 20);
    // The first anomaly: the series of AN01's second line, sheet row 3.
    EXPECT_EQ(list->item(0)->text(), u"Linha 3: A série tem de ser igual no documento, AN01"_s);
    EXPECT_TRUE(screen->gridModel().isShaded(1));
    EXPECT_FALSE(screen->gridModel().isShaded(0));
    EXPECT_EQ(screen->grid()->model()->index(1, 0).data(Qt::ToolTipRole).toString(),
              QString::fromUtf8("A série tem de ser igual no documento, AN01\n"
                                "Não existe numerador do tipo documento para o documento, AN01"));

    list->setCurrentRow(list->count() - 1);
    const QModelIndexList selected = screen->grid()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(screen->lines().value(selected.front().row(), L::Doc).toText(), u"AN22"_s);
}

TEST_F(ImportScreen, company_selection_tells_of_missing_or_wrong_parameters) {
    shared.execute(u"DELETE FROM zeb_CNS_Parametros WHERE BD = 2"_s);
    shared.execute(u"UPDATE zeb_CNS_Parametros SET Empresa = 'nada.db' WHERE BD = 3"_s);
    open();
    screen->companyList()->setCurrentIndex(1);
    screen->selectCompany();
    EXPECT_EQ(prompter.lastText(), u"Faltam os parâmetros de ligação à Empresa Velmor Holding!"_s);
    EXPECT_EQ(screen->company(), nullptr);

    screen->companyList()->setCurrentIndex(2);
    screen->selectCompany();
    EXPECT_EQ(prompter.lastText(), u"Não foi possível abrir a Empresa indicada !"_s);
    EXPECT_EQ(screen->company(), nullptr);

    screen->button(u"btParametros"_s)->click();
    EXPECT_EQ(parametersOf, 3);

    // Cancelar goes back to the first company.
    screen->button(u"btCancelar"_s)->click();
    EXPECT_EQ(screen->companyList()->currentIndex(), 0);
    EXPECT_NE(screen->company(), nullptr);
}

TEST(ImportTotals, are_shown_read_only_with_a_total_row_and_print) {
    ImportTotals totals;
    totals.documents = {{u"FC1"_s, 2, Money::fromWhole(10), Money::fromWhole(10)},
                        {u"FT7"_s, 3, Money::fromUnits(15), Money::fromUnits(15)}};
    totals.lines = 5;
    totals.debit = totals.credit = Money::fromUnits(100015);
    ImportTotalsDialog dialog(totals, u"Velmor"_s);
    const ImportTotalsModel& model = dialog.model();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(1, ImportTotalsModel::Debito).data().toString(), u"0.0015"_s);
    EXPECT_EQ(model.index(2, ImportTotalsModel::Documento).data().toString(), u"Total"_s);
    EXPECT_EQ(model.index(2, ImportTotalsModel::Credito).data().toString(), u"10.0015"_s);

    test::TempFolder folder;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.file(u"totais.pdf"_s));
    printImportTotals(totals, u"Velmor"_s, printer);
    EXPECT_GT(QFileInfo(printer.outputFileName()).size(), 1000);
}

TEST(ImportScreenItem, the_main_window_opens_the_screen_not_modal_and_sair_closes_it) {
    test::TempFolder folder;
    demo::seedDemo(folder.path());
    DataAccess shared;
    shared.connect(
        test::settingsFor(test::EngineKind::Sqlite, folder.path(), demo::consolidatedFileName()));
    MainWindow window(std::make_unique<QSettings>(folder.file(u"w.ini"_s), QSettings::IniFormat));
    addWorkingScreens(window, shared, folder.path());
    window.show();
    QAction* item = window.findChild<QAction*>(u"ImpMov"_s);
    ASSERT_NE(item, nullptr);

    item->trigger();
    item->trigger();  // each opening is a fresh screen
    ASSERT_EQ(window.mdiArea()->subWindowList().size(), 2);
    auto* screen =
        qobject_cast<MovementImportScreen*>(window.mdiArea()->subWindowList()[0]->widget());
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(screen->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QPointer<MovementImportScreen> gone(screen);
    screen->button(u"btSair"_s)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    ASSERT_EQ(window.mdiArea()->subWindowList().size(), 1);

    // Closed by its frame, the screen goes as well.
    QPointer<QWidget> second(window.mdiArea()->subWindowList()[0]->widget());
    window.mdiArea()->subWindowList()[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(window.mdiArea()->subWindowList().isEmpty());
}

}  // namespace
}  // namespace agrimor
