#include "app/screens.h"

#include <QAction>

#include "app/main_window.h"
#include "app/widget_prompter.h"
#include "class9/screen/class9_screen.h"
#include "consolidation/consolidation_screen.h"

namespace agrimor {

void addWorkingScreens(MainWindow& window, DataAccess& shared, const QString& dataFolder) {
    QAction* consolidation =
        window.addScreenAction(QStringLiteral("mm"), QStringLiteral("&Agrimor"));
    QObject::connect(consolidation, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        // Each opening makes a fresh screen; closing it discards its state.
        WidgetPrompter prompter;
        FrmAgrimor screen(shared, prompter, dataFolder, &window);
        prompter.setParent(&screen);
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
