// The consolidation screen on seeded SQLite databases with scripted prompts: the processing tab,
// the company tabs' settings and rate grids, and a consolidation driven from the button.

#include "consolidation/screen/consolidation_screen.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "consolidation/screen/rate_grid_widget.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/cell_typing.h"
#include "tests/support/scripted_prompter.h"
#include "ui/parameters_screen.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;
using test::line;

const QDateTime kNow(QDate(2025, 7, 14), QTime(10, 30, 0));
const QString kRemoveQuestion =
    u"Vai retirar uma linha de câmbio da tabela!\r\nPretende continuar?"_s;

class ConsolidationScreenTest : public ::testing::Test {
protected:
    void open() {
        screen =
            std::make_unique<ConsolidationScreen>(setup.consolidated(), prompter, setup.folder());
        screen->setClock([] { return kNow; });
        screen->setDialogRunner([this](QDialog& dialog) {
            const auto* parameters = qobject_cast<ParametersScreen*>(&dialog);
            opened << (parameters ? u"ParametersScreen %1"_s.arg(parameters->bd())
                                  : dialog.objectName());
        });
        screen->setRateImport([](QWidget* parent) {
            auto rates = std::make_unique<QDialog>(parent);
            rates->setObjectName(u"frmImportar"_s);
            return rates;
        });
        screen->clearProcessingTab();
        screen->show();
    }

    QPushButton* button(const QString& name) const { return screen->findChild<QPushButton*>(name); }

    static void type(RateGridView* grid, int row, int column, const QString& text) {
        test::typeIntoCell(*grid, grid->model().index(row, column), text);
    }

    int rateCount(const QString& currency) {
        return test::countRows(setup.consolidated(), u"zeb_CNS_Cambios"_s, u"Moeda = ?"_s,
                               {currency});
    }

    test::ConsolidationSetup setup{EngineKind::Sqlite};
    test::ScriptedPrompter prompter;
    std::unique_ptr<ConsolidationScreen> screen;
    QStringList opened;  // class names of the screens opened, with the company for parameters
};

TEST_F(ConsolidationScreenTest, confirm_creates_the_missing_row_with_the_tabs_number_and_series_0) {
    open();
    screen->tabs()->setCurrentIndex(3);
    screen->field(3, ConsolidationScreen::Setor)->setText(u"02"_s);
    screen->field(3, ConsolidationScreen::TpDoc)->setText(u"CNS"_s);
    screen->field(3, ConsolidationScreen::Moeda)->setText(u"EUR"_s);
    screen->field(3, ConsolidationScreen::ContaArred)->setText(u"9999"_s);
    screen->dataMov(3)->setDate(QDate(2025, 8, 1));
    screen->ateMes(3)->setChecked(true);
    button(u"btConfirmar3"_s)->click();

    const Recordset row =
        setup.consolidated().openReadOnly(u"select * from zeb_CNS_DadosIniciais"_s);
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_EQ(row.field(u"BD"_s).toInt(), 3);
    EXPECT_EQ(row.field(u"Setor"_s).toText(), u"02"_s);
    EXPECT_EQ(row.field(u"Serie"_s).toText(), u"0"_s);
    EXPECT_EQ(row.field(u"DataMov"_s).toDate(), QDate(2025, 8, 1));
    EXPECT_EQ(row.field(u"AteMes"_s).toInt(), 1);
    EXPECT_FALSE(row.isNull(u"SerieCL9"_s));  // a column that takes no null
    EXPECT_TRUE(prompter.prompts().empty());

    // A second confirmation changes the same row.
    screen->field(3, ConsolidationScreen::Serie)->setText(u"7"_s);
    button(u"btConfirmar3"_s)->click();
    const Recordset again =
        setup.consolidated().openReadOnly(u"select Serie from zeb_CNS_DadosIniciais where BD=3"_s);
    ASSERT_EQ(again.rowCount(), 1);
    EXPECT_EQ(again.field(u"Serie"_s).toText(), u"7"_s);
}

TEST_F(ConsolidationScreenTest, a_euro_company_loads_no_grid_and_another_currency_its_rates) {
    setup.addCompany(1, {});
    setup.addCompany(6, {.currency = u"USD"_s});
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.0812"_s);
    setup.addRate(u"USD"_s, QDate(2024, 3, 15), u"1234.5"_s);
    open();

    EXPECT_EQ(screen->field(1, ConsolidationScreen::Moeda)->text(), u"EUR"_s);
    EXPECT_TRUE(screen->rateGrid(1)->isHidden());

    screen->tabs()->setCurrentIndex(6);
    RateGridView* grid = screen->rateGrid(6);
    EXPECT_FALSE(grid->isHidden());
    const RateGridModel& model = grid->model();
    ASSERT_EQ(model.rowCount(), 3);  // newest first, then the free row
    EXPECT_EQ(model.index(0, RateGridModel::Data).data().toString(), u"15-03-2024"_s);
    EXPECT_EQ(model.index(0, RateGridModel::Cambio).data().toString(), u"1.234,5000"_s);
    EXPECT_EQ(model.index(1, RateGridModel::Cambio).data().toString(), u"1,0812"_s);
    EXPECT_TRUE(model.index(2, RateGridModel::Data).data().toString().isEmpty());
    for (const int hidden : {RateGridModel::Moeda, RateGridModel::Id, RateGridModel::Alterado})
        EXPECT_TRUE(grid->isColumnHidden(hidden));

    // Typing a currency in the field loads its grid; emptying it hides the grid.
    QLineEdit* currency = screen->field(6, ConsolidationScreen::Moeda);
    currency->setText(u"GBP"_s);
    emit currency->editingFinished();
    EXPECT_EQ(grid->model().rowCount(), 1);
    currency->clear();
    emit currency->editingFinished();
    EXPECT_TRUE(grid->isHidden());
}

TEST_F(ConsolidationScreenTest, grid_cells_are_validated_with_the_programs_messages) {
    setup.addCompany(2, {.currency = u"USD"_s});
    open();
    screen->tabs()->setCurrentIndex(2);
    RateGridView* grid = screen->rateGrid(2);
    const RateGridModel& model = grid->model();

    // An empty date becomes today's and marks the row.
    type(grid, 0, RateGridModel::Data, QString());
    EXPECT_EQ(model.rate(0).date, kNow.date());
    EXPECT_TRUE(model.rate(0).changed);
    EXPECT_EQ(model.rowCount(), 2);  // a new free row below

    type(grid, 0, RateGridModel::Data, u"31-02-2025"_s);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.lastText(), u"Data inválida!"_s);
    EXPECT_EQ(model.rate(0).date, kNow.date());  // refused: the cell keeps its date

    type(grid, 1, RateGridModel::Data, u"3/2/2025"_s);
    EXPECT_EQ(model.rate(1).date, QDate(2025, 2, 3));

    // Rates: decimal comma, point and thousands grouping; letters and zero refused.
    type(grid, 0, RateGridModel::Cambio, u"1,0858"_s);
    EXPECT_EQ(model.rate(0).rate, Money::parse(u"1.0858"));
    type(grid, 1, RateGridModel::Cambio, u"1.234,5"_s);
    EXPECT_EQ(model.index(1, RateGridModel::Cambio).data().toString(), u"1.234,5000"_s);
    type(grid, 1, RateGridModel::Cambio, u"0.85"_s);
    EXPECT_EQ(model.index(1, RateGridModel::Cambio).data().toString(), u"0,8500"_s);
    prompter.clear();
    for (const QString& bad : {u"abc"_s, u"0"_s, u"1,2,3,"_s}) {
        SCOPED_TRACE(bad.toStdString());
        type(grid, 1, RateGridModel::Cambio, bad);
        EXPECT_EQ(prompter.lastText(), u"Valor inválido!"_s);
        EXPECT_EQ(model.rate(1).rate, Money::parse(u"0.85"));
    }

    // An empty rate warns and is taken without marking the row.
    type(grid, 2, RateGridModel::Data, u"01-01-2025"_s);
    RateGridModel& editable = grid->model();
    const int fresh = 2;
    ASSERT_TRUE(editable.rate(fresh).changed);
    prompter.clear();
    type(grid, 3, RateGridModel::Cambio, QString());
    EXPECT_EQ(prompter.texts(), QStringList{u"Campo obrigatório!"_s});
    EXPECT_FALSE(model.rate(3).changed);
}

TEST_F(ConsolidationScreenTest, rows_are_removed_after_confirmation_and_the_free_row_never) {
    setup.addCompany(4, {.currency = u"USD"_s});
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.08"_s);
    setup.addRate(u"USD"_s, QDate(2024, 4, 1), u"1.09"_s);
    open();
    screen->tabs()->setCurrentIndex(4);
    RateGridView* grid = screen->rateGrid(4);

    grid->requestRemoveRow(2);
    EXPECT_EQ(prompter.texts(), QStringList{u"Impossível remover linha!"_s});
    EXPECT_EQ(grid->model().rowCount(), 3);

    prompter.clear();
    prompter.answer(Answer::Cancel);
    grid->setCurrentIndex(grid->model().index(0, RateGridModel::Cambio));
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(prompter.texts(), QStringList{kRemoveQuestion});
    EXPECT_EQ(prompter.prompts()[0].kind, PromptKind::OkCancel);
    EXPECT_EQ(grid->model().rowCount(), 3);

    prompter.answer(Answer::Ok);
    grid->requestRemoveRow(0);
    EXPECT_EQ(grid->model().rowCount(), 2);
    EXPECT_EQ(grid->removedIds().size(), 1);
    EXPECT_EQ(rateCount(u"USD"_s), 2);  // removed when the tab is confirmed

    button(u"btConfirmar4"_s)->click();
    EXPECT_EQ(rateCount(u"USD"_s), 1);
    EXPECT_TRUE(grid->removedIds().isEmpty());
}

TEST_F(ConsolidationScreenTest, a_dated_row_without_rate_holds_back_the_grid_not_the_settings) {
    setup.addCompany(5, {.currency = u"USD"_s});
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.08"_s);
    open();
    screen->tabs()->setCurrentIndex(5);
    RateGridView* grid = screen->rateGrid(5);
    type(grid, 1, RateGridModel::Data, u"11-03-2024"_s);
    screen->field(5, ConsolidationScreen::Setor)->setText(u"07"_s);
    button(u"btConfirmar5"_s)->click();
    EXPECT_EQ(prompter.texts(), QStringList{u"Campo obrigatório [Câmbio]."_s});
    EXPECT_EQ(rateCount(u"USD"_s), 1);
    EXPECT_EQ(setup.consolidated()
                  .openReadOnly(u"select Setor from zeb_CNS_DadosIniciais where BD=5"_s)
                  .field(0)
                  .toText(),
              u"07"_s);

    // The row never stored is removed from the grid like any other; the free row still is not.
    prompter.clear();
    prompter.answer(Answer::Ok);
    grid->requestRemoveRow(1);
    EXPECT_EQ(prompter.texts(), QStringList{kRemoveQuestion});
    ASSERT_EQ(grid->model().rowCount(), 2);
    EXPECT_TRUE(grid->removedIds().isEmpty());
    grid->requestRemoveRow(1);
    EXPECT_EQ(prompter.lastText(), u"Impossível remover linha!"_s);
    button(u"btConfirmar5"_s)->click();
    EXPECT_EQ(prompter.texts().size(), 2);
    EXPECT_EQ(rateCount(u"USD"_s), 1);
}

TEST_F(ConsolidationScreenTest, the_calendar_puts_the_picked_date_into_the_cell) {
    setup.addCompany(2, {.currency = u"USD"_s});
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.08"_s);
    open();
    screen->tabs()->setCurrentIndex(2);
    RateGridView* grid = screen->rateGrid(2);

    grid->openCalendar(0);
    QCalendarWidget* calendar = grid->calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 3, 1));

    QTest::keyClick(calendar, Qt::Key_Escape);
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_FALSE(grid->model().rate(0).changed);

    // The free row: today's date offered; a click validates it and moves on to the rate.
    grid->openCalendar(1);
    EXPECT_EQ(calendar->selectedDate(), kNow.date());
    emit calendar->clicked(QDate(2024, 3, 20));
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(grid->model().rate(1).date, QDate(2024, 3, 20));
    EXPECT_TRUE(grid->model().rate(1).changed);
    EXPECT_EQ(grid->currentIndex().column(), RateGridModel::Cambio);
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(ConsolidationScreenTest, cancel_reloads_the_stored_settings_and_keeps_the_rounding_account) {
    setup.addCompany(2, {});
    open();
    screen->tabs()->setCurrentIndex(2);
    screen->field(2, ConsolidationScreen::TpDoc)->setText(u"XYZ"_s);
    button(u"btCancelar2"_s)->click();
    EXPECT_EQ(screen->field(2, ConsolidationScreen::TpDoc)->text(), u"CNS"_s);
    EXPECT_EQ(screen->field(2, ConsolidationScreen::Serie)->text(), u"2"_s);

    // Without a row the fields are emptied, except the rounding account.
    screen->tabs()->setCurrentIndex(3);
    screen->field(3, ConsolidationScreen::TpDoc)->setText(u"XYZ"_s);
    screen->field(3, ConsolidationScreen::ContaArred)->setText(u"9998"_s);
    button(u"btCancelar3"_s)->click();
    EXPECT_TRUE(screen->field(3, ConsolidationScreen::TpDoc)->text().isEmpty());
    EXPECT_EQ(screen->field(3, ConsolidationScreen::ContaArred)->text(), u"9998"_s);
    EXPECT_EQ(screen->dataMov(3)->date(), kNow.date());

    // A currency typed again after "Cancelar" shows its stored rates again, not an empty grid
    // where retyping one of them would collide with it.
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.08"_s);
    QLineEdit* currency = screen->field(3, ConsolidationScreen::Moeda);
    RateGridView* grid = screen->rateGrid(3);
    currency->setText(u"USD"_s);
    emit currency->editingFinished();
    ASSERT_EQ(grid->model().rowCount(), 2);
    button(u"btCancelar3"_s)->click();
    EXPECT_TRUE(grid->isHidden());
    currency->setText(u"USD"_s);
    emit currency->editingFinished();
    EXPECT_FALSE(grid->isHidden());
    ASSERT_EQ(grid->model().rowCount(), 2);
    EXPECT_EQ(grid->model().rate(0).rate, Money::parse(u"1.08"));
}

TEST_F(ConsolidationScreenTest, database_errors_are_reported_and_the_screen_stays_usable) {
    open();
    setup.consolidated().execute(u"drop table zeb_CNS_DadosIniciais"_s);
    screen->tabs()->setCurrentIndex(2);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_TRUE(prompter.lastText().startsWith(
        u"Não foi possível ler os dados da empresa Velmor Holding.\r\n"_s));

    screen->field(2, ConsolidationScreen::TpDoc)->setText(u"CNS"_s);
    button(u"btConfirmar2"_s)->click();
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_TRUE(prompter.lastText().startsWith(
        u"Não foi possível gravar os dados da empresa Velmor Holding.\r\n"_s));
    EXPECT_EQ(screen->field(2, ConsolidationScreen::TpDoc)->text(), u"CNS"_s);
    EXPECT_FALSE(setup.consolidated().inTransaction());
}

TEST_F(ConsolidationScreenTest, the_processing_tab_is_rebuilt_after_a_run_whatever_was_run) {
    open();
    screen->yearField()->setText(u"2019"_s);
    screen->monthList()->setCurrentIndex(1);
    screen->companyCheck(2)->setChecked(true);
    prompter.answer(Answer::Cancel);
    button(u"btProcessar"_s)->click();
    EXPECT_EQ(prompter.texts(),
              QStringList{QStringLiteral("Vai proceder à integração de movimentos!\r\n"
                                         "Pretende continuar?")});
    EXPECT_EQ(screen->yearField()->text(), u"2025"_s);
    EXPECT_EQ(screen->monthList()->currentIndex(), 6);
    EXPECT_FALSE(screen->companyCheck(2)->isChecked());

    // The check-up keeps the tab as it was.
    screen->companyCheck(3)->setChecked(true);
    prompter.answer(Answer::Cancel);
    button(u"btCheckUp"_s)->click();
    EXPECT_TRUE(screen->companyCheck(3)->isChecked());
}

TEST_F(ConsolidationScreenTest, rates_and_parameters_open_their_screens_for_the_tabs_company) {
    open();
    button(u"btCambios"_s)->click();
    screen->tabs()->setCurrentIndex(3);
    button(u"btParametros3"_s)->click();
    EXPECT_EQ(opened, (QStringList{u"frmImportar"_s, u"ParametersScreen 3"_s}));
}

TEST_F(ConsolidationScreenTest, a_company_set_up_on_the_screen_is_consolidated_from_the_button) {
    // The company database and its connection parameters exist; its settings do not.
    setup.addAccounts({u"9111"_s, u"9112"_s}, 2024);
    setup.addCompany(2, {});
    setup.consolidated().execute(u"delete from zeb_CNS_DadosIniciais"_s);
    setup.addMovements(2, {line(u"a1"_s, u"FT"_s, 1, 1, u"9111"_s, 1, u"108.60"_s),
                           line(u"a2"_s, u"FT"_s, 1, 2, u"9112"_s, 2, u"108.60"_s)});
    open();

    screen->tabs()->setCurrentIndex(2);
    screen->field(2, ConsolidationScreen::Setor)->setText(u"01"_s);
    screen->field(2, ConsolidationScreen::TpDoc)->setText(u"CNS"_s);
    screen->field(2, ConsolidationScreen::Serie)->setText(u"2"_s);
    screen->field(2, ConsolidationScreen::ContaArred)->setText(u"9999"_s);
    QLineEdit* currency = screen->field(2, ConsolidationScreen::Moeda);
    currency->setText(u"USD"_s);
    emit currency->editingFinished();
    RateGridView* grid = screen->rateGrid(2);
    type(grid, 0, RateGridModel::Data, u"05-03-2024"_s);
    type(grid, 0, RateGridModel::Cambio, u"1,0812"_s);
    type(grid, 1, RateGridModel::Data, u"20-03-2024"_s);
    type(grid, 1, RateGridModel::Cambio, u"1.0907"_s);
    button(u"btConfirmar2"_s)->click();
    ASSERT_TRUE(prompter.prompts().empty()) << prompter.lastText().toStdString();

    screen->tabs()->setCurrentIndex(0);
    screen->yearField()->setText(u"2024"_s);
    screen->monthList()->setCurrentIndex(2);
    screen->companyCheck(2)->setChecked(true);
    prompter.answer({Answer::Ok, Answer::Ok});
    button(u"btProcessar"_s)->click();

    EXPECT_EQ(prompter.lastText(),
              u"Empresa:  Velmor Holding\r\nIntegração efetuada com sucesso!"_s);
    // The month rate is the mean 1.08595, half to even 1.0860: 108.60 / 1.0860 = 100.00.
    Recordset written = setup.written(u"CNS"_s, u"2"_s);
    ASSERT_EQ(written.rowCount(), 2);
    for (written.moveFirst(); !written.eof(); written.moveNext())
        EXPECT_EQ(written.field(u"Valor"_s).toMoney(), Money::fromWhole(100));
    EXPECT_EQ(setup.ultimoMes(2), u"03/2024"_s);
    EXPECT_FALSE(screen->companyCheck(2)->isChecked());
}

}  // namespace
}  // namespace agrimor
