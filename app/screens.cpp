#include "app/screens.h"

#include <QAction>

#include "class9/screen/class9_screen.h"
#include "consolidation/screen/consolidation_screen.h"
#include "rateimport/screen/import_rates_screen.h"
#include "ui/main_window.h"
#include "ui/widget_prompter.h"

namespace agrimor {

void addWorkingScreens(MainWindow& window, DataAccess& shared, const QString& dataFolder) {
    QAction* consolidation =
        window.addScreenAction(QStringLiteral("mm"), QStringLiteral("&Agrimor"));
    QObject::connect(consolidation, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        // Each opening makes a fresh screen; closing it discards its state.
        WidgetPrompter prompter;
        FrmAgrimor screen(shared, prompter, dataFolder, &window);
        prompter.setParent(&screen);
        screen.setRateImport([&shared, &prompter](QWidget* parent) {
            return std::make_unique<FrmImportar>(shared, prompter, FileDialogs::system(), parent);
        });
        screen.exec();
    });
    QAction* class9 =
        window.addScreenAction(QStringLiteral("Mensagem"), QStringLiteral("&Classe 9"));
    QObject::connect(class9, &QAction::triggered, &window, [&window, &shared] {
        WidgetPrompter prompter;
        FrmMovClasse9 screen(shared, prompter, &window);
        prompter.setParent(&screen);
        screen.exec();
    });
}

}  // namespace agrimor
