#pragma once

#include <QStringList>
#include <deque>
#include <initializer_list>
#include <vector>

#include "core/prompter.h"

namespace agrimor::test {

// Records every prompt and answers from a script. Information prompts answer Ok by themselves; a
// question with no scripted answer fails the test and answers Cancel (or No), the safe choice.
class ScriptedPrompter : public Prompter {
public:
    Answer ask(const Prompt& prompt) override;

    void answer(Answer next) { answers_.push_back(next); }
    void answer(std::initializer_list<Answer> next) { answers_.insert(answers_.end(), next); }
    const std::vector<Prompt>& prompts() const { return prompts_; }
    QStringList texts() const;
    QString lastText() const { return prompts_.empty() ? QString() : prompts_.back().text; }
    void clear() {
        prompts_.clear();
        answers_.clear();
    }

private:
    std::vector<Prompt> prompts_;
    std::deque<Answer> answers_;
};

}  // namespace agrimor::test
