#include "ui/busy_prompter.h"

#include <QApplication>

namespace agrimor {

namespace {

void setBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

BusyPrompter::BusyPrompter(Prompter& inner) : inner_(inner) {
    setBusy();
}

BusyPrompter::~BusyPrompter() {
    QApplication::restoreOverrideCursor();
}

Answer BusyPrompter::ask(const Prompt& prompt) {
    QApplication::restoreOverrideCursor();
    const Answer answer = inner_.ask(prompt);
    setBusy();
    return answer;
}

}  // namespace agrimor
