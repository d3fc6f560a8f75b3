#include "tests/support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace agrimor::test {

Answer ScriptedPrompter::ask(const Prompt& prompt) {
    prompts_.push_back(prompt);
    const bool question = prompt.kind == PromptKind::OkCancel || prompt.kind == PromptKind::YesNo;
    if (!question)
        return Answer::Ok;
    if (answers_.empty()) {
        ADD_FAILURE() << "unscripted question: " << prompt.text.toStdString();
        return prompt.kind == PromptKind::YesNo ? Answer::No : Answer::Cancel;
    }
    const Answer next = answers_.front();
    answers_.pop_front();
    return next;
}

QStringList ScriptedPrompter::texts() const {
    QStringList result;
    for (const Prompt& prompt : prompts_)
        result << prompt.text;
    return result;
}

}  // namespace agrimor::test
