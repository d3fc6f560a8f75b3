#pragma once

#include <QString>

namespace agrimor {

// The prompt seam: every message and question a service has for the user goes through here, so
// services stay free of widgets and tests can script the answers and read the exact texts.
enum class PromptKind {
    MandatoryField,  // exclamation, OK
    Information,     // information, OK
    OkCancel,        // information, OK and Cancel, Cancel the default
    YesNo,           // information, Yes and No, Yes the default
    Titled,          // the program's own title, OK, icon as given
};

enum class PromptIcon { Exclamation, Information, Error };

enum class Answer { Ok, Cancel, Yes, No };

struct Prompt {
    PromptKind kind = PromptKind::Information;
    QString title;
    QString text;
    PromptIcon icon = PromptIcon::Information;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows the prompt and waits for the answer. Information prompts answer Ok.
    virtual Answer ask(const Prompt& prompt) = 0;
};

}  // namespace agrimor
