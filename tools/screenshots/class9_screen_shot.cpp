// class9-screen-shot FOLDER
// Seeds the demo into a temporary folder, opens the class-9 screen on it, loads the month the
// demo leaves for integration and saves the screen as FOLDER/class9-screen.png. Run it under
// Xvfb (or the offscreen platform) for the documentation's picture.

#include <QApplication>

#include "class9/screen/class9_screen.h"
#include "core/console_prompter.h"
#include "tools/screenshots/demo_pictures.h"
#include "tools/seeder/demo_seeder.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    agrimor::screenshots::DemoPictures pictures(argc, argv, "class9-screen-shot");
    if (!pictures.ready())
        return 2;

    // Every question answered OK: the ERP's lines are accepted for deletion and the month loads.
    agrimor::ConsolePrompter prompter(true, stderr);
    agrimor::Class9Screen screen(pictures.consolidated(), prompter);
    screen.setClock([] { return QDateTime(QDate(agrimor::demo::kDemoYear, 11, 30), QTime(9, 0)); });
    screen.clearForm();
    screen.resize(1100, 620);
    screen.show();
    screen.load();
    QApplication::processEvents();
    return screen.grab().save(pictures.picture(QStringLiteral("class9-screen.png"))) ? 0 : 1;
}
