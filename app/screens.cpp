#include "app/screens.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

#include "class9/screen/class9_screen.h"
#include "consolidation/screen/consolidation_screen.h"
#include "core/companies.h"
#include "movimport/import_run.h"
#include "movimport/screen/import_screen.h"
#include "rateimport/screen/import_rates_screen.h"
#include "ui/history_screen.h"
#include "ui/main_window.h"
#include "ui/widget_prompter.h"

namespace agrimor {

void addWorkingScreens(MainWindow& window, DataAccess& shared, const QString& dataFolder) {
    QAction* consolidation =
        window.addScreenAction(QStringLiteral("mm"), QStringLiteral("&Agrimor"));
    QObject::connect(consolidation, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        // Each opening makes a fresh screen; closing it discards its state.
        WidgetPrompter prompter;
        ConsolidationScreen screen(shared, prompter, dataFolder, &window);
        prompter.setParent(&screen);
        screen.setRateImport([&shared, &prompter](QWidget* parent) {
            return std::make_unique<RateImportScreen>(shared, prompter, FileDialogs::system(),
                                                      parent);
        });
        screen.exec();
    });
    QAction* class9 =
        window.addScreenAction(QStringLiteral("Mensagem"), QStringLiteral("&Classe 9"));
    QObject::connect(class9, &QAction::triggered, &window, [&window, &shared] {
        WidgetPrompter prompter;
        Class9Screen screen(shared, prompter, &window);
        prompter.setParent(&screen);
        screen.exec();
    });

    QAction* import =
        window.addScreenAction(QStringLiteral("ImpMov"), QStringLiteral("&Importar Movimentos"));
    QObject::connect(import, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        // Not modal: a fresh screen in the frame each time, gone when closed. Its prompter lives
        // exactly as long as it.
        auto prompter = std::make_shared<WidgetPrompter>();
        auto* screen = new MovementImportScreen(shared, *prompter, groupCompanyNames(), dataFolder);
        prompter->setParent(screen);
        QObject::connect(screen, &QObject::destroyed, [prompter] {});
        QMdiSubWindow* frame = window.mdiArea()->addSubWindow(screen);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        // btSair closes the screen; its frame, and with it the screen, goes too.
        QObject::connect(screen, &MovementImportScreen::closed, frame, &QWidget::close);
        const QSize room = window.mdiArea()->size();
        if (room.width() < screen->width() || room.height() < screen->height())
            frame->showMaximized();
        else
            frame->show();
    });

    QAction* history =
        window.addScreenAction(QStringLiteral("Historico"), QString::fromUtf8("&Histórico"));
    QObject::connect(history, &QAction::triggered, &window, [&window, &shared] {
        WidgetPrompter prompter;
        HistoryScreen screen(
            shared, prompter, groupCompanyNames(),
            [&shared, &prompter](std::int64_t id) { undoImport(shared, id, prompter); }, &window);
        prompter.setParent(&screen);
        screen.exec();
    });
}

}  // namespace agrimor
