#include <QApplication>
#include <QTimer>

#include "app/startup.h"
#include "core/console_prompter.h"
#include "ui/widget_prompter.h"

namespace {

// For the demo on a machine without a display: draw the main window once, save it and leave.
void saveScreenshotAndQuit(agrimor::MainWindow& window, const QString& path) {
    QTimer::singleShot(800, &window, [&window, path] {
        window.grab().save(path);
        QApplication::quit();
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Agrimor"));
    QApplication::setOrganizationName(QStringLiteral("Agrimor"));

    // Unattended (the demo's screenshot), a failure is printed: no one would close a message box.
    const QString screenshot = qEnvironmentVariable("AGRIMOR_SCREENSHOT");
    agrimor::WidgetPrompter windowPrompter;
    agrimor::ConsolePrompter consolePrompter(false, stderr);
    agrimor::Prompter& prompter =
        screenshot.isEmpty() ? static_cast<agrimor::Prompter&>(windowPrompter) : consolePrompter;

    const auto program = agrimor::startProgram(QApplication::applicationDirPath(), prompter);
    if (!program)
        return 1;
    if (!screenshot.isEmpty())
        saveScreenshotAndQuit(*program->window, screenshot);
    return QApplication::exec();
}
