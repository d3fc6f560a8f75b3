#include "app/startup.h"

#include "app/screens.h"
#include "core/message_box.h"
#include "core/version.h"
#include "data/consolidated_database.h"

namespace agrimor {

std::unique_ptr<Program> startProgram(const QString& executableFolder, Prompter& prompter) {
    auto program = std::make_unique<Program>();
    try {
        program->files = locateStartupFiles(executableFolder);
        program->db = openConsolidatedDatabase(program->files);
    } catch (const StartupError& error) {
        titledMessage(prompter, error.message(), 2);
        return nullptr;
    } catch (const std::exception& error) {
        titledMessage(prompter, QString::fromUtf8(error.what()), 2);
        return nullptr;
    }
    program->window = std::make_unique<MainWindow>();
    addWorkingScreens(*program->window, *program->db, program->files.dataFolder);
    program->window->show();
    program->window->setVersionText(programVersionText());
    return program;
}

}  // namespace agrimor
