// consolidation-screen-shot FOLDER
// Seeds the demo into a temporary folder, opens the consolidation screen on it and saves the
// processing tab as FOLDER/consolidation-screen.png and the USD company's tab with its rate grid
// as FOLDER/consolidation-rates.png. Run it under Xvfb for the documentation's pictures.

#include <QApplication>
#include <QTabWidget>

#include "consolidation/screen/consolidation_screen.h"
#include "core/console_prompter.h"
#include "tools/screenshots/demo_pictures.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    agrimor::screenshots::DemoPictures pictures(argc, argv, "consolidation-screen-shot");
    if (!pictures.ready())
        return 2;

    agrimor::ConsolePrompter prompter(false, stderr);
    agrimor::ConsolidationScreen screen(pictures.consolidated(), prompter, pictures.demoFolder());
    screen.show();
    QApplication::processEvents();
    bool saved = screen.grab().save(pictures.picture(QStringLiteral("consolidation-screen.png")));
    screen.tabs()->setCurrentIndex(agrimor::ConsolidationScreen::kCompanies);
    QApplication::processEvents();
    saved =
        screen.grab().save(pictures.picture(QStringLiteral("consolidation-rates.png"))) && saved;
    return saved ? 0 : 1;
}
