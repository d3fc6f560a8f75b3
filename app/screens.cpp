#include "app/screens.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

#include "class9/screen/class9_screen.h"
#include "consolidation/screen/consolidation_screen.h"
#include "core/companies.h"
#include "monthboard/screen/month_board_screen.h"
#include "movimport/import_run.h"
#include "movimport/screen/import_screen.h"
#include "rateimport/screen/import_rates_screen.h"
#include "ui/history_screen.h"
#include "ui/main_window.h"
#include "ui/widget_prompter.h"

namespace agrimor {

namespace {

// The company and month a screen opened from the month-end board is set to.
struct JobPreset {
    int bd = 0;
    int year = 0;
    int month = 0;
};

// The boards that are open: each is read again after a job ran from the program.
std::vector<QPointer<MonthBoardScreen>>& openBoards() {
    static std::vector<QPointer<MonthBoardScreen>> boards;
    return boards;
}

void refreshBoards() {
    std::erase_if(openBoards(), [](const QPointer<MonthBoardScreen>& board) { return !board; });
    for (const QPointer<MonthBoardScreen>& board : openBoards())
        board->refresh();
}

// Shows a screen that is not modal in the frame: maximised when it does not fit.
QMdiSubWindow* showInFrame(MainWindow& window, QWidget* screen) {
    QMdiSubWindow* frame = window.mdiArea()->addSubWindow(screen);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    const QSize room = window.mdiArea()->size();
    if (room.width() < screen->width() || room.height() < screen->height())
        frame->showMaximized();
    else
        frame->show();
    return frame;
}

void openConsolidation(MainWindow& window, DataAccess& shared, const QString& dataFolder,
                       std::optional<JobPreset> preset = std::nullopt) {
    // Each opening makes a fresh screen; closing it discards its state.
    WidgetPrompter prompter;
    ConsolidationScreen screen(shared, prompter, dataFolder, &window);
    prompter.setParent(&screen);
    screen.setRateImport([&shared, &prompter](QWidget* parent) {
        return std::make_unique<RateImportScreen>(shared, prompter, FileDialogs::system(), parent);
    });
    if (preset) {
        screen.yearField()->setText(QString::number(preset->year));
        screen.monthList()->setCurrentIndex(preset->month - 1);
        screen.companyCheck(preset->bd)->setChecked(true);
    }
    screen.exec();
    refreshBoards();
}

void openClass9(MainWindow& window, DataAccess& shared,
                std::optional<JobPreset> preset = std::nullopt) {
    WidgetPrompter prompter;
    Class9Screen screen(shared, prompter, &window);
    prompter.setParent(&screen);
    if (preset) {
        screen.companyList()->setCurrentIndex(preset->bd - 1);
        screen.field(Class9Screen::Ano)->setText(QString::number(preset->year));
        screen.monthList()->setCurrentIndex(preset->month - 1);
    }
    screen.exec();
    refreshBoards();
}

void openMovementImport(MainWindow& window, DataAccess& shared, const QString& dataFolder,
                        std::optional<JobPreset> preset = std::nullopt) {
    // Not modal: a fresh screen in the frame each time, gone when closed. Its prompter lives
    // exactly as long as it.
    auto prompter = std::make_shared<WidgetPrompter>();
    auto* screen = new MovementImportScreen(shared, *prompter, groupCompanyNames(), dataFolder);
    prompter->setParent(screen);
    QObject::connect(screen, &QObject::destroyed, [prompter] { refreshBoards(); });
    if (preset) {
        screen->companyList()->setCurrentIndex(preset->bd - 1);
        screen->selectCompany();
    }
    QMdiSubWindow* frame = showInFrame(window, screen);
    // btSair closes the screen; its frame, and with it the screen, goes too.
    QObject::connect(screen, &MovementImportScreen::closed, frame, &QWidget::close);
}

void openRateImport(MainWindow& window, DataAccess& shared) {
    WidgetPrompter prompter;
    RateImportScreen screen(shared, prompter, FileDialogs::system(), &window);
    prompter.setParent(&screen);
    screen.exec();
    refreshBoards();
}

}  // namespace

void addWorkingScreens(MainWindow& window, DataAccess& shared, const QString& dataFolder) {
    QAction* consolidation =
        window.addScreenAction(QStringLiteral("mm"), QStringLiteral("&Agrimor"));
    QObject::connect(consolidation, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        openConsolidation(window, shared, dataFolder);
    });
    QAction* class9 =
        window.addScreenAction(QStringLiteral("Mensagem"), QStringLiteral("&Classe 9"));
    QObject::connect(class9, &QAction::triggered, &window,
                     [&window, &shared] { openClass9(window, shared); });

    QAction* import =
        window.addScreenAction(QStringLiteral("ImpMov"), QStringLiteral("&Importar Movimentos"));
    QObject::connect(import, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        openMovementImport(window, shared, dataFolder);
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
        refreshBoards();
    });
}

void addMonthBoard(MainWindow& window, DataAccess& shared, const QString& dataFolder) {
    QAction* board =
        window.addScreenAction(QStringLiteral("FechoMes"), QStringLiteral("&Fecho do Mês"));
    QObject::connect(board, &QAction::triggered, &window, [&window, &shared, dataFolder] {
        auto prompter = std::make_shared<WidgetPrompter>();
        auto* screen = new MonthBoardScreen(shared, *prompter, QDate::currentDate().year());
        prompter->setParent(screen);
        QObject::connect(screen, &QObject::destroyed, [prompter] {});
        openBoards().emplace_back(screen);
        QObject::connect(screen, &MonthBoardScreen::openJob, &window,
                         [&window, &shared, dataFolder](NextJob job, int bd, int year, int month) {
                             const JobPreset preset{bd, year, month};
                             switch (job) {
                                 case NextJob::MovementImport:
                                     openMovementImport(window, shared, dataFolder, preset);
                                     break;
                                 case NextJob::Class9:
                                     openClass9(window, shared, preset);
                                     break;
                                 case NextJob::RateImport:
                                     openRateImport(window, shared);
                                     break;
                                 case NextJob::Consolidation:
                                     openConsolidation(window, shared, dataFolder, preset);
                                     break;
                             }
                         });
        showInFrame(window, screen);
    });
}

}  // namespace agrimor
