// agrimor-parametros <BD> [title]
// Starts up as the program does (data folder, configuration, consolidated database) and opens the
// connection-parameters screen of company number <BD>.

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <memory>

#include "core/error_text.h"
#include "core/message_box.h"
#include "data/consolidated_database.h"
#include "data/data_folder.h"
#include "data/error.h"
#include "ui/parameters_screen.h"
#include "ui/widget_prompter.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Agrimor"));
    QApplication::setOrganizationName(QStringLiteral("Agrimor"));

    const QStringList arguments = QApplication::arguments();
    bool numeric = false;
    const int bd = arguments.size() >= 2 ? arguments.at(1).toInt(&numeric) : 0;
    if (!numeric || arguments.size() > 3) {
        std::fputs("Utilização: agrimor-parametros <BD> [título]\n", stderr);
        return 2;
    }
    const QString title =
        arguments.size() == 3 ? arguments.at(2) : QStringLiteral("Empresa %1").arg(bd);

    agrimor::WidgetPrompter prompter;
    std::unique_ptr<agrimor::DataAccess> shared;
    try {
        shared = agrimor::openConsolidatedDatabase(
            agrimor::locateStartupFiles(QApplication::applicationDirPath()));
    } catch (const agrimor::Error& error) {
        agrimor::titledMessage(prompter, agrimor::errorText(error), 2);
        return 1;
    }

    agrimor::ParametersScreen screen(*shared, prompter);
    prompter.setParent(&screen);
    screen.setBd(bd);
    screen.setTitle(title);
    screen.readParameters();
    screen.exec();
    return 0;
}
