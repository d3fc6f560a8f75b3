#include "core/message_box.h"

namespace agrimor {

namespace {

Answer show(Prompter& prompter, PromptKind kind, const QString& title, const QString& text,
            PromptIcon icon) {
    Prompt prompt;
    prompt.kind = kind;
    prompt.title = title;
    prompt.text = text;
    prompt.icon = icon;
    return prompter.ask(prompt);
}

}  // namespace

short messageBox(Prompter& prompter, const QString& fieldName, const QString& message, short kind) {
    switch (kind) {
        case 1:
            show(prompter, PromptKind::MandatoryField, kMessageTitle,
                 QStringLiteral("Campo obrigatório") + QStringLiteral(" [") + fieldName +
                     QStringLiteral("]."),
                 PromptIcon::Exclamation);
            return 0;
        case 2:
            show(prompter, PromptKind::Information, kMessageTitle, message,
                 PromptIcon::Information);
            return 0;
        case 3:
            // Anything but an explicit OK counts as Cancel: callers go on only when not cancelled.
            return show(prompter, PromptKind::OkCancel, kMessageTitle, message,
                        PromptIcon::Information) == Answer::Ok
                       ? 1
                       : 2;
        case 4:
            return show(prompter, PromptKind::YesNo, kMessageTitle, message,
                        PromptIcon::Information) == Answer::Yes
                       ? 6
                       : 7;
        default:
            return 0;
    }
}

void inform(Prompter& prompter, const QString& message) {
    messageBox(prompter, QString(), message, 2);
}

bool confirmOkCancel(Prompter& prompter, const QString& message) {
    return messageBox(prompter, QString(), message, 3) == 1;
}

bool confirmYesNo(Prompter& prompter, const QString& message) {
    return messageBox(prompter, QString(), message, 4) == 6;
}

void mandatoryField(Prompter& prompter, const QString& fieldName) {
    messageBox(prompter, fieldName, QString(), 1);
}

short titledMessage(Prompter& prompter, const QString& message, short kind) {
    PromptIcon icon;
    switch (kind) {
        case 0:
            icon = PromptIcon::Exclamation;
            break;
        case 1:
            icon = PromptIcon::Information;
            break;
        case 2:
            icon = PromptIcon::Error;
            break;
        default:
            return 0;
    }
    show(prompter, PromptKind::Titled, kProgramTitle, message, icon);
    return 1;
}

}  // namespace agrimor
