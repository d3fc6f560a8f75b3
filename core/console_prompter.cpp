#include "core/console_prompter.h"

namespace agrimor {

Answer ConsolePrompter::ask(const Prompt& prompt) {
    QString text = prompt.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Answer answer = Answer::Ok;
    QString suffix;
    if (prompt.kind == PromptKind::OkCancel) {
        answer = answerYes_ ? Answer::Ok : Answer::Cancel;
        suffix = answerYes_ ? QStringLiteral(" [OK]") : QStringLiteral(" [Cancelar]");
    } else if (prompt.kind == PromptKind::YesNo) {
        answer = answerYes_ ? Answer::Yes : Answer::No;
        suffix = answerYes_ ? QStringLiteral(" [Sim]") : QStringLiteral(" [Não]");
    }
    std::fprintf(out_, "%s%s\n", qPrintable(text), qPrintable(suffix));
    std::fflush(out_);
    return answer;
}

}  // namespace agrimor
