// import-screen-shot FOLDER
// Seeds the demo into a temporary folder, opens the movement import screen on it and saves the
// screen with the demo's "Movimentos" workbook read as FOLDER/import-screen.png, and with
// "Movimentos_Anomalias" after a confirmation (its anomalies listed beside the grid) as
// FOLDER/import-anomalies.png. Run it under Xvfb for the documentation's pictures.

#include <QApplication>
#include <QDir>

#include "core/console_prompter.h"
#include "movimport/screen/import_screen.h"
#include "tools/screenshots/demo_pictures.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"

int main(int argc, char* argv[]) {
    using namespace agrimor;
    QApplication app(argc, argv);
    screenshots::DemoPictures pictures(argc, argv, "import-screen-shot");
    if (!pictures.ready())
        return 2;

    QString book;
    FileDialogs dialogs;
    dialogs.open = [&book](QWidget*, const QString&, const QString&) { return book; };
    QStringList companies;
    for (const demo::Company& company : demo::companies())
        companies << company.name;
    ConsolePrompter prompter(false, stderr);
    MovementImportScreen screen(pictures.consolidated(), prompter, companies, pictures.demoFolder(),
                                dialogs);
    screen.resize(1100, 560);
    screen.show();

    const auto take = [&](const QString& base, const QString& picture, bool confirm) {
        book =
            QDir(pictures.demoFolder()).filePath(demo::sampleFileName(base, WorkbookFormat::Xlsx));
        screen.chooseFile();
        if (confirm)
            screen.confirm();
        QApplication::processEvents();
        return screen.grab().save(pictures.picture(picture));
    };
    bool saved = take(demo::kMovementSample, QStringLiteral("import-screen.png"), false);
    saved = take(demo::kAnomalySample, QStringLiteral("import-anomalies.png"), true) && saved;
    return saved ? 0 : 1;
}
