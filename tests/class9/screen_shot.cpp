// class9-screen-shot FOLDER
// Seeds the demo into a temporary folder, opens the class-9 screen on it, loads the month the
// demo leaves for integration and saves the screen as FOLDER/class9-screen.png. Run it under
// Xvfb (or the offscreen platform) for the documentation's picture.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

#include "class9/screen/class9_screen.h"
#include "core/console_prompter.h"
#include "data/data_access.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Utilização: class9-screen-shot PASTA\n", stderr);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir demoFolder;
    agrimor::demo::seedDemo(demoFolder.path());
    agrimor::DataAccess db;
    db.connect(agrimor::test::settingsFor(agrimor::test::EngineKind::Sqlite, demoFolder.path(),
                                          agrimor::demo::consolidatedFileName()));

    // Every question answered OK: the ERP's lines are accepted for deletion and the month loads.
    agrimor::ConsolePrompter prompter(true, stderr);
    agrimor::FrmMovClasse9 screen(db, prompter);
    screen.setClock([] { return QDateTime(QDate(agrimor::demo::kDemoYear, 11, 30), QTime(9, 0)); });
    screen.limparForm();
    screen.resize(1100, 620);
    screen.show();
    screen.load();
    QApplication::processEvents();
    return screen.grab().save(output + QStringLiteral("/class9-screen.png")) ? 0 : 1;
}
