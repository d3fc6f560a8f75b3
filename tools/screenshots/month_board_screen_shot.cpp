// month-board-screen-shot FOLDER
// Seeds the demo into a temporary folder, runs its month-end script (the consolidation of month
// 10 for every company), opens the month-end board of the demo year with Velmor Sul's October
// selected and saves it as FOLDER/month-board.png. Run it under Xvfb (or the offscreen platform)
// for the documentation's picture.

#include <QApplication>
#include <QTableWidget>

#include "consolidation/consolidation_commands.h"
#include "core/companies.h"
#include "core/console_prompter.h"
#include "monthboard/screen/month_board_screen.h"
#include "tools/screenshots/demo_pictures.h"
#include "tools/seeder/demo_seeder.h"

int main(int argc, char* argv[]) {
    using namespace agrimor;
    QApplication app(argc, argv);
    screenshots::DemoPictures pictures(argc, argv, "month-board-screen-shot");
    if (!pictures.ready())
        return 2;

    ConsolePrompter prompter(true, stderr);
    ConsolidationEnvironment environment(pictures.consolidated(), prompter, pictures.demoFolder());
    ProcessingInput input{QString::number(demo::kDemoYear), 10, {}};
    for (int bd = 1; bd <= static_cast<int>(groupCompanyNames().size()); ++bd)
        input.companies << CompanyTab{bd, groupCompanyNames().at(bd - 1)};
    if (runConsolidation(environment, input).outcome != CommandOutcome::Done)
        return 1;

    MonthBoardScreen screen(pictures.consolidated(), prompter, demo::kDemoYear);
    screen.resize(1180, 520);
    screen.show();
    screen.selectCell(6, 10);
    QApplication::processEvents();
    return screen.grab().save(pictures.picture(QStringLiteral("month-board.png"))) ? 0 : 1;
}
