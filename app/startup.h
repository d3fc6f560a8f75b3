#pragma once

#include <QString>
#include <memory>

#include "core/prompter.h"
#include "data/data_access.h"
#include "data/data_folder.h"
#include "ui/main_window.h"

namespace agrimor {

// What start-up creates and the program keeps until it ends: its files, the shared data-access
// object connected to the consolidated database, and the main window.
struct Program {
    StartupFiles files;
    std::unique_ptr<DataAccess> db;
    std::unique_ptr<MainWindow> window;
};

// Start-up: finds the data folder and the configuration, connects the consolidated database,
// brings the program's tables up to date and shows the main window with the version. When any
// step fails, the reason (which file or server, what the engine said) is shown through the
// prompter and nothing is returned.
std::unique_ptr<Program> startProgram(const QString& executableFolder, Prompter& prompter);

}  // namespace agrimor
