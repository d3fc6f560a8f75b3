#include "app/startup.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include "core/version.h"
#include "data/sqlite_engine.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

// A data folder "corvane" under a shared data folder of its own, and an executable folder.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(dataFolder());
        QDir().mkpath(exeFolder());
        qputenv("XDG_DATA_DIRS", folder.file(u"share"_s).toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_DATA_DIRS"); }

    QString dataFolder() const { return folder.file(u"share/corvane"_s); }
    QString exeFolder() const { return folder.file(u"bin"_s); }

    void writeConfig(const QString& path, const QString& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    void createDatabase(const QString& name, const QString& script = {}) {
        auto engine = SqliteEngine::open(dataFolder() + QLatin1Char('/') + name, true);
        if (!script.isEmpty())
            engine->executeScript(script);
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
};

TEST_F(StartupTest, opens_the_consolidated_database_and_shows_the_version) {
    createDatabase(u"cons.db"_s);
    writeConfig(dataFolder() + u"/Agrimor.zeb"_s,
                u"[Database]\nServer=sqlite\nDatabase=cons.db\nUser=u\nPassword=\n"_s);
    const auto program = startProgram(exeFolder(), prompter);
    ASSERT_TRUE(program) << prompter.lastText().toStdString();
    EXPECT_TRUE(prompter.prompts().empty());
    EXPECT_EQ(program->files.dataFolder, dataFolder());
    EXPECT_EQ(program->db->openReadOnly(u"select * from zeb_CNS_Parametros"_s).rowCount(), 0);
}

// The menu items open their screens, and the wiring hands the consolidation screen the
// rate-import screen for "Câmbios".
TEST_F(StartupTest, the_menu_opens_the_modal_screens_and_consolidation_the_rate_import) {
    createDatabase(u"cons.db"_s);
    writeConfig(dataFolder() + u"/Agrimor.zeb"_s,
                u"[Database]\nServer=sqlite\nDatabase=cons.db\nUser=u\nPassword=\n"_s);
    const auto program = startProgram(exeFolder(), prompter);
    ASSERT_TRUE(program) << prompter.lastText().toStdString();

    // Each screen is modal: it is looked at, and closed, from the event loop it runs.
    QStringList opened;
    const auto closeModal = [&opened] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        opened << (dialog ? dialog->objectName() : u"nothing"_s);
        return dialog;
    };
    QTimer::singleShot(0, [&] {
        QDialog* consolidation = closeModal();
        if (!consolidation)
            return;
        QTimer::singleShot(0, [&] {
            if (QDialog* rates = closeModal())
                rates->reject();
        });
        if (auto* button = consolidation->findChild<QPushButton*>(u"btCambios"_s))
            button->click();
        consolidation->reject();
    });
    program->window->menuBar()->actions().at(1)->trigger();
    EXPECT_EQ(opened, (QStringList{u"frmAgrimor"_s, u"frmImportar"_s}));

    // Company 1 has parameters, so the class-9 screen opens without a message.
    program->db->execute(
        QStringLiteral("INSERT INTO zeb_CNS_Parametros (BD, Servidor, Utilizador, Password, "
                       "Empresa) VALUES (1, 'sqlite', 'u', '', 'cons.db')"));
    opened.clear();
    QTimer::singleShot(0, [&] {
        if (QDialog* class9 = closeModal())
            class9->reject();
    });
    program->window->menuBar()->actions().at(2)->trigger();
    EXPECT_EQ(opened, QStringList{u"frmMovClasse9"_s});
}

TEST_F(StartupTest, every_failure_ends_start_up_with_a_message_that_says_what_failed) {
    // No configuration at all.
    EXPECT_FALSE(startProgram(exeFolder(), prompter));
    EXPECT_TRUE(prompter.lastText().contains(u"Agrimor.zeb"_s));

    // A database file that is not there.
    writeConfig(dataFolder() + u"/Agrimor.zeb"_s,
                u"[Database]\nServer=sqlite\nDatabase=falta.db\nUser=u\n"_s);
    EXPECT_FALSE(startProgram(exeFolder(), prompter));
    EXPECT_TRUE(prompter.lastText().contains(u"falta.db"_s));
    EXPECT_FALSE(QFileInfo::exists(dataFolder() + u"/falta.db"_s));

    // A server that does not answer: the login gives up after its timeout.
    writeConfig(dataFolder() + u"/Agrimor.zeb"_s,
                QStringLiteral("[Database]\nServer=127.0.0.1\nDatabase=Cons\nUser=sa\nPassword=x\n"
                               "[Odbc]\nPort=1\nLoginTimeout=2\n"));
    EXPECT_FALSE(startProgram(exeFolder(), prompter));
    EXPECT_TRUE(prompter.lastText().contains(u"127.0.0.1"_s));

    // A schema statement that fails: the settings table is missing, the rates table is not.
    createDatabase(u"cons.db"_s, u"CREATE TABLE zeb_CNS_Cambios (x int);"_s);
    writeConfig(dataFolder() + u"/Agrimor.zeb"_s,
                u"[Database]\nServer=sqlite\nDatabase=cons.db\nUser=u\n"_s);
    EXPECT_FALSE(startProgram(exeFolder(), prompter));
    EXPECT_TRUE(prompter.lastText().contains(u"zeb_CNS_Cambios"_s));
    EXPECT_EQ(prompter.prompts().back().kind, PromptKind::Titled);
}

}  // namespace
}  // namespace agrimor
