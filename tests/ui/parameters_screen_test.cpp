#include "ui/parameters_screen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "data/data_access.h"
#include "data/own_tables.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

const QString kSaved = u"Parâmetros gravados e teste de ligação à Empresa efetuado!"_s;

// The consolidated database with the program's tables, a company file beside it, and the screen
// for company 2 as an opener sets it up.
class ParametersScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        shared = test::createDatabase(EngineKind::Sqlite, folder.path(), u"cons.db"_s);
        ensureOwnTables(*shared);
        test::createDatabase(EngineKind::Sqlite, folder.path(), u"empresa.db"_s);
    }

    std::unique_ptr<ParametersScreen> open(int bd = 2) {
        auto screen = std::make_unique<ParametersScreen>(*shared, prompter);
        screen->setBd(bd);
        screen->setTitle(u"Velmor Holding"_s);
        screen->readParameters();
        screen->show();
        return screen;
    }

    void addRow(int bd, const QString& server, const QString& user, const QString& password,
                const QString& database) {
        shared->execute(QStringLiteral("INSERT INTO zeb_CNS_Parametros "
                                       "(BD, Servidor, Utilizador, Password, Empresa) "
                                       "VALUES (?, ?, ?, ?, ?)"),
                        {bd, server, user, password, database});
    }

    static void type(ParametersScreen& screen, const QStringList& values) {
        for (int i = 0; i < ParametersScreen::kFields; ++i)
            screen.field(i)->setText(values.value(i));
    }

    static QStringList fieldsOf(const ParametersScreen& screen) {
        QStringList values;
        for (int i = 0; i < ParametersScreen::kFields; ++i)
            values << screen.field(i)->text();
        return values;
    }

    static void confirm(ParametersScreen& screen) {
        QTest::mouseClick(screen.findChild<QPushButton*>(u"btConfirmar"_s), Qt::LeftButton);
    }

    QList<QStringList> rows() {
        Recordset rs = shared->openReadOnly(QStringLiteral(
            "SELECT BD, Servidor, Utilizador, Password, Empresa FROM zeb_CNS_Parametros"));
        QList<QStringList> result;
        for (; !rs.eof(); rs.moveNext()) {
            QStringList row;
            for (int c = 0; c < rs.columnCount(); ++c)
                row << rs.field(c).toText();
            result << row;
        }
        return result;
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> shared;
    test::ScriptedPrompter prompter;
};

TEST_F(ParametersScreenTest, masks_the_password_until_revealed_and_enter_presses_nothing) {
    const auto screen = open();
    EXPECT_EQ(screen->field(2)->echoMode(), QLineEdit::Password);
    auto* reveal = screen->findChild<QCheckBox*>(u"mostrarPassword"_s);
    reveal->click();
    EXPECT_EQ(screen->field(2)->echoMode(), QLineEdit::Normal);
    reveal->click();
    EXPECT_EQ(screen->field(2)->echoMode(), QLineEdit::Password);

    // Enter in a field presses no button behind the user's back.
    QTest::keyClick(screen->field(2), Qt::Key_Return);
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_TRUE(screen->isVisible());

    QTest::mouseClick(screen->findChild<QPushButton*>(u"btSair"_s), Qt::LeftButton);
    EXPECT_FALSE(screen->isVisible());
}

TEST_F(ParametersScreenTest, all_fields_empty_is_refused_and_nothing_is_written) {
    const auto screen = open();
    confirm(*screen);
    EXPECT_EQ(prompter.texts(), QStringList{u"Parâmetros não preenchidos!"_s});
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(ParametersScreenTest, only_the_server_filled_in_fails_the_test_naming_an_empty_company) {
    const auto screen = open();
    type(*screen, {u"sqlite"_s});
    confirm(*screen);
    EXPECT_EQ(prompter.texts(),
              QStringList{QStringLiteral("Não foi possivel abrir a Empresa indicada !\r\n"
                                         " Servidor =sqlite\r\n"
                                         " Empresa =")});
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(fieldsOf(*screen), (QStringList{u"sqlite"_s, {}, {}, {}}));
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(ParametersScreenTest, a_number_without_a_row_opens_empty_and_confirming_inserts_it) {
    addRow(1, u"outro"_s, u"u"_s, u"p"_s, u"outra.db"_s);
    const auto screen = open(2);
    EXPECT_EQ(fieldsOf(*screen), (QStringList{{}, {}, {}, {}}));

    // The password goes as typed: spaces and quotes included.
    type(*screen, {u"SQLite"_s, u"demo"_s, u" p'w "_s, u"empresa.db"_s});
    confirm(*screen);
    EXPECT_EQ(prompter.texts(), QStringList{kSaved});
    EXPECT_EQ(rows(),
              (QList<QStringList>{{u"1"_s, u"outro"_s, u"u"_s, u"p"_s, u"outra.db"_s},
                                  {u"2"_s, u"SQLite"_s, u"demo"_s, u" p'w "_s, u"empresa.db"_s}}));
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(ParametersScreenTest, a_failure_to_store_is_shown_and_the_screen_stays) {
    const auto screen = open(2);
    type(*screen, {u"sqlite"_s, u"demo"_s, QString(), u"empresa.db"_s});
    shared->execute(u"DROP TABLE zeb_CNS_Parametros"_s);
    confirm(*screen);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_TRUE(prompter.lastText().startsWith(u"Erro: "_s)) << prompter.lastText().toStdString();
    EXPECT_FALSE(shared->inTransaction());
    EXPECT_TRUE(screen->isVisible());
}

// "Verificar" checks the company as typed and stores nothing.
TEST_F(ParametersScreenTest, checking_reports_each_finding_in_one_message_and_stores_nothing) {
    const auto screen = open(2);
    type(*screen, {u"sqlite"_s, u"demo"_s, QString(), u"empresa.db"_s});
    QTest::mouseClick(screen->findChild<QPushButton*>(u"btVerificar"_s), Qt::LeftButton);
    ASSERT_EQ(prompter.prompts().size(), 1u);
    const QStringList lines = prompter.lastText().split(u"\r\n"_s);
    EXPECT_EQ(lines.value(0), u"Empresa 2 (Velmor Holding): abre: ok"_s);
    EXPECT_TRUE(
        lines.contains(u"Empresa 2 (Velmor Holding): tabelas do ERP: a tabela MovCTB não existe"_s))
        << prompter.lastText().toStdString();
    EXPECT_TRUE(rows().isEmpty());
}

}  // namespace
}  // namespace agrimor
