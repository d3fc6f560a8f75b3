// history-screen-shot FOLDER
// Seeds the demo into a temporary folder, consolidates October for the first two companies,
// imports the demo's "Movimentos" workbook into the first, undoes it and imports it again, then
// saves the "Histórico" screen with the undone import selected as FOLDER/history-screen.png.
// Run it under Xvfb for the documentation's pictures.

#include <QApplication>
#include <QDir>
#include <QTableWidget>

#include "consolidation/consolidation_commands.h"
#include "core/companies.h"
#include "core/console_prompter.h"
#include "data/data_access.h"
#include "movimport/import_command.h"
#include "movimport/import_run.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "tools/screenshots/demo_pictures.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"
#include "ui/history_screen.h"
#include "workbook/workbook.h"

int main(int argc, char* argv[]) {
    using namespace agrimor;
    QApplication app(argc, argv);
    screenshots::DemoPictures pictures(argc, argv, "history-screen-shot");
    if (!pictures.ready())
        return 2;
    DataAccess& consolidated = pictures.consolidated();
    ConsolePrompter prompter(true, stderr);

    ConsolidationEnvironment consolidation(consolidated, prompter, pictures.demoFolder());
    ProcessingInput input{QString::number(demo::kDemoYear), 10, {}};
    for (int bd = 1; bd <= 2; ++bd)
        input.companies << CompanyTab{bd, groupCompanyNames().at(bd - 1)};
    runConsolidation(consolidation, input);

    const QString book =
        QDir(pictures.demoFolder())
            .filePath(demo::sampleFileName(demo::kMovementSample, WorkbookFormat::Xlsx));
    ImportLinesTable lines;
    ImportDocumentsTable documents;
    readMovementSheet(*Workbook::open(book), demo::kMovementSample, lines, documents);
    const auto company =
        demo::openDatabase(QDir(pictures.demoFolder()).filePath(demo::companies().front().file));
    const auto import = [&] {
        ImportEnvironment environment(company.get(), prompter, demo::companies().front().name,
                                      pictures.demoFolder());
        environment.consolidated = &consolidated;
        environment.bd = 1;
        environment.workbookFile = book;
        environment.sheet = demo::kMovementSample;
        runImport(environment, lines);
    };
    import();
    const std::int64_t first = readRuns(consolidated, {}).front().id;
    undoImport(consolidated, first, prompter, [&](int) {
        auto db = std::make_unique<DataAccess>();
        db->adopt(std::shared_ptr<Engine>(&company->engine(), [](Engine*) {}));
        return db;
    });
    import();

    HistoryScreen screen(consolidated, prompter, groupCompanyNames(), {});
    screen.resize(1200, 620);
    screen.show();
    screen.grid()->selectRow(1);
    QApplication::processEvents();
    return screen.grab().save(pictures.picture(QStringLiteral("history-screen.png"))) ? 0 : 1;
}
