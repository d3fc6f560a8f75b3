#include "app/startup.h"

#include "app/screens.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "core/version.h"
#include "data/consolidated_database.h"
#include "data/error.h"

namespace agrimor {

std::unique_ptr<Program> startProgram(const QString& executableFolder, Prompter& prompter) {
    auto program = std::make_unique<Program>();
    try {
        program->files = locateStartupFiles(executableFolder);
        program->db = openConsolidatedDatabase(program->files);
    } catch (const Error& error) {
        titledMessage(prompter, errorText(error), 2);
        return nullptr;
    }
    program->window = std::make_unique<MainWindow>();
    addWorkingScreens(*program->window, *program->db, program->files.dataFolder);
    addMonthBoard(*program->window, *program->db, program->files.dataFolder);
    program->window->show();
    program->window->setVersionText(programVersionText());
    return program;
}

}  // namespace agrimor
