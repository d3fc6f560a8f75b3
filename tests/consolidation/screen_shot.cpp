// consolidation-screen-shot FOLDER
// Seeds the demo into a temporary folder, opens the consolidation screen on it and saves the
// processing tab as FOLDER/consolidation-screen.png and the USD company's tab with its rate grid
// as FOLDER/consolidation-rates.png. Run it under Xvfb for the documentation's pictures.

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "consolidation/screen/consolidation_screen.h"
#include "core/console_prompter.h"
#include "data/data_access.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Utilização: consolidation-screen-shot PASTA\n", stderr);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir demoFolder;
    agrimor::demo::seedDemo(demoFolder.path());
    agrimor::DataAccess db;
    db.connect(agrimor::test::settingsFor(agrimor::test::EngineKind::Sqlite, demoFolder.path(),
                                          agrimor::demo::consolidatedFileName()));

    agrimor::ConsolePrompter prompter(false, stderr);
    agrimor::FrmAgrimor screen(db, prompter, demoFolder.path());
    screen.show();
    QApplication::processEvents();
    bool saved = screen.grab().save(output + QStringLiteral("/consolidation-screen.png"));
    screen.tabs()->setCurrentIndex(agrimor::FrmAgrimor::kCompanies);
    QApplication::processEvents();
    saved = screen.grab().save(output + QStringLiteral("/consolidation-rates.png")) && saved;
    return saved ? 0 : 1;
}
