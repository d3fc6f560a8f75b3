#pragma once

#include <QString>

#include "core/prompter.h"

namespace agrimor {

// Title of the message box helper's prompts.
inline const QString kMessageTitle = QStringLiteral("Informação");
// Title of the titled message: the program's file description.
inline const QString kProgramTitle = QStringLiteral("Corvane - Agrimor");

// The message box helper. Kind 1: "Campo obrigatório [field]." (exclamation, OK) -> 0;
// kind 2: the message (information, OK) -> 0; kind 3: OK/Cancel -> 1 or 2; kind 4: Yes/No -> 6
// or 7; any other kind shows nothing and gives 0.
short messageBox(Prompter& prompter, const QString& fieldName, const QString& message, short kind);

// Plain-named forms of the same, for code that reads better with them.
void inform(Prompter& prompter, const QString& message);            // kind 2
bool confirmOkCancel(Prompter& prompter, const QString& message);   // kind 3: true on OK
bool confirmYesNo(Prompter& prompter, const QString& message);      // kind 4: true on Yes
void mandatoryField(Prompter& prompter, const QString& fieldName);  // kind 1

// The titled message: kind 0 exclamation, 1 information, 2 error; the result is 1 (OK pressed),
// or 0 and nothing shown for any other kind.
short titledMessage(Prompter& prompter, const QString& message, short kind);

}  // namespace agrimor
