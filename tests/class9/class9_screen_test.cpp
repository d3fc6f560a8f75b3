// The class-9 screen on the seeded demo under the offscreen platform, with scripted prompts: the
// screen starting over, company selection, and a month integrated end to end (load, correct an
// account through the grid, confirm). Reloading and correcting are the service's tests.

#include "class9/screen/class9_screen.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "class9/screen/account_delegate.h"
#include "class9/screen/account_lookup.h"
#include "tests/support/cell_typing.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"
#include "ui/parameters_screen.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using W = Class9WorkingSet;

// November of the demo year: the month the demo leaves for integration.
const QDateTime kNow(QDate(demo::kDemoYear, 11, 20), QTime(9, 0));

class Class9ScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        demo_ = new test::TempFolder;
        demo::seedDemo(demo_->path());
    }
    static void TearDownTestSuite() { delete demo_; }

    Class9ScreenTest() {
        // Each test works on its own copy of the demo.
        for (const QString& name : QDir(demo_->path()).entryList({u"*.db"_s}))
            QFile::copy(demo_->file(name), folder.file(name));
        shared.connect(test::settingsFor(test::EngineKind::Sqlite, folder.path(),
                                         demo::consolidatedFileName()));
    }

    void open() {
        screen = std::make_unique<Class9Screen>(shared, prompter);
        screen->setClock([] { return kNow; });
        screen->setDialogRunner([this](QDialog& dialog) {
            opened << dialog.objectName();
            if (auto* lookup = qobject_cast<AccountLookup*>(&dialog)) {
                const QList<QTableWidgetItem*> found =
                    lookup->table()->findItems(pick, Qt::MatchExactly);
                if (found.isEmpty()) {
                    lookup->reject();
                    return;
                }
                lookup->table()->setCurrentCell(found.front()->row(), 0);
                lookup->accept();
            }
        });
        screen->clearForm();
        screen->show();
        prompter.clear();
    }

    QPushButton* button(const QString& name) const { return screen->findChild<QPushButton*>(name); }

    // The grid row showing the source line `doc`; -1 when none.
    int rowOf(const QString& doc) const {
        const W& set = screen->state().set();
        for (int row = 0; row < set.size(); ++row)
            if (set.value(row, W::Doc).toText() == doc)
                return row;
        return -1;
    }
    QString account(int row) const { return screen->state().set().value(row, W::Classe9).toText(); }

    AccountEditor* openEditor(int row) {
        return qobject_cast<AccountEditor*>(
            test::openCellEditor(*screen->grid(), screen->grid()->model()->index(row, W::Classe9)));
    }
    void type(int row, const QString& text) {
        test::typeIntoCell(*screen->grid(), screen->grid()->model()->index(row, W::Classe9), text);
    }

    std::unique_ptr<DataAccess> company(int bd) {
        return demo::openDatabase(folder.file(demo::companies().at(bd - 1).file));
    }

    static test::TempFolder* demo_;
    test::TempFolder folder;
    DataAccess shared;
    test::ScriptedPrompter prompter;
    std::unique_ptr<Class9Screen> screen;
    QStringList opened;  // object names of the dialogs opened
    QString pick;        // the account the lookup list picks
};

test::TempFolder* Class9ScreenTest::demo_ = nullptr;

// "Cancelar" starts over as the screen opened: the first company with its class-9 settings.
TEST_F(Class9ScreenTest, cancel_starts_over_on_the_first_company_with_its_class9_settings) {
    open();
    screen->companyList()->setCurrentIndex(4);
    screen->monthList()->setCurrentIndex(0);
    screen->field(Class9Screen::Ano)->setText(u"2020"_s);
    button(u"btCancelar"_s)->click();
    EXPECT_EQ(screen->companyList()->currentIndex(), 0);
    EXPECT_EQ(screen->monthList()->currentText(), u"Novembro"_s);
    EXPECT_EQ(screen->field(Class9Screen::Ano)->text(), u"2026"_s);
    EXPECT_EQ(screen->field(Class9Screen::TipoDoc)->text(), u"CL9"_s);
    EXPECT_EQ(screen->field(Class9Screen::Diario)->text(), u"09"_s);
    EXPECT_TRUE(screen->grid()->isHidden());
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(Class9ScreenTest, a_company_without_parameters_cannot_be_loaded_and_others_show_theirs) {
    shared.execute(u"DELETE FROM zeb_CNS_Parametros WHERE BD=2"_s);
    shared.execute(u"DELETE FROM zeb_CNS_DadosIniciais WHERE BD=4"_s);
    open();
    screen->companyList()->setCurrentIndex(1);
    EXPECT_EQ(prompter.texts(),
              QStringList{QStringLiteral("Faltam os parâmetros de ligação à Empresa Velmor "
                                         "Holding!")});
    EXPECT_FALSE(screen->loadButton()->isEnabled());

    // Parameters but no class-9 settings: the three fields are emptied.
    prompter.clear();
    screen->companyList()->setCurrentIndex(3);
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_TRUE(screen->loadButton()->isEnabled());
    EXPECT_TRUE(screen->field(Class9Screen::TipoDoc)->text().isEmpty());
    EXPECT_TRUE(screen->field(Class9Screen::Diario)->text().isEmpty());

    screen->openParameters();
    EXPECT_EQ(opened, QStringList{u"frmParametros"_s});
}

// A second load given up at the question about the ERP's lines: the grid of the first is gone
// with it, since "Confirmar" would no longer write it.
TEST_F(Class9ScreenTest, cancel_at_the_erp_question_leaves_no_grid_to_edit_or_confirm) {
    open();
    prompter.answer(Answer::Ok);
    button(u"btCarga"_s)->click();
    ASSERT_TRUE(screen->state().loaded);
    ASSERT_FALSE(screen->grid()->isHidden());

    prompter.clear();
    prompter.answer(Answer::Cancel);
    button(u"btCarga"_s)->click();
    EXPECT_EQ(prompter.texts().size(), 1);
    EXPECT_FALSE(screen->state().loaded);
    EXPECT_TRUE(screen->grid()->isHidden());
    EXPECT_EQ(screen->grid()->model()->rowCount(), 0);
}

TEST_F(Class9ScreenTest, the_demo_month_is_integrated_with_accounts_corrected_in_the_grid) {
    open();
    // Load: the ERP's own class-9 lines are offered for deletion (the load's questions and
    // messages are the service's), then the month is derived.
    prompter.answer(Answer::Ok);
    button(u"btCarga"_s)->click();
    EXPECT_EQ(prompter.texts().size(), 2);
    ASSERT_TRUE(screen->state().loaded);
    QTableView* grid = screen->grid();
    EXPECT_FALSE(grid->isHidden());

    // The unmapped expense: a general account and an unknown one are refused; the lookup list
    // gives one of the year's class-9 accounts.
    const int expense = rowOf(u"CX/2026/1/5/1"_s);
    ASSERT_GE(expense, 0);
    EXPECT_TRUE(account(expense).isEmpty());
    EXPECT_EQ(grid->model()->data(grid->model()->index(expense, W::Valor)).toString(), u"38.40"_s);
    prompter.clear();
    type(expense, u"6881"_s);
    type(expense, u"96999"_s);
    EXPECT_EQ(prompter.texts(), (QStringList{u"Conta Inválida!"_s, u"Conta não existente!"_s}));
    EXPECT_TRUE(account(expense).isEmpty());
    prompter.clear();
    pick = u"96226"_s;
    AccountEditor* editor = openEditor(expense);
    ASSERT_NE(editor, nullptr);
    editor->lookupAction()->trigger();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(opened, QStringList{u"ContasClasse9"_s});
    EXPECT_EQ(account(expense), u"96226"_s);
    EXPECT_TRUE(prompter.prompts().empty());

    // Clearing a filled account is refused too.
    type(expense, QString());
    EXPECT_EQ(prompter.texts(), QStringList{u"Campo obrigatório [Conta]."_s});
    EXPECT_EQ(account(expense), u"96226"_s);

    // Confirm: everything is written and the screen starts over.
    prompter.clear();
    prompter.answer(Answer::Ok);
    button(u"btConf"_s)->click();
    ASSERT_EQ(prompter.texts().size(), 1) << prompter.lastText().toStdString();
    EXPECT_TRUE(prompter.lastText().contains(u"Os movimentos gerados pelo ERP"_s));
    EXPECT_FALSE(screen->state().loaded);
    EXPECT_TRUE(grid->isHidden());
    // The account picked in the grid is the one written.
    auto db = company(1);
    EXPECT_EQ(db->openReadOnly(QStringLiteral("select Conta from MovCTB where TpDoc='CL9' and "
                                              "Ref='CX/2026/1/5/1'"))
                  .field(0)
                  .toText(),
              u"96226"_s);
}

}  // namespace
}  // namespace agrimor
