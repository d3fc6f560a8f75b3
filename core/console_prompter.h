#pragma once

#include <cstdio>

#include "core/prompter.h"

namespace agrimor {

// The prompt seam for runs without a screen (the batch command, the demo under Xvfb): every
// text is printed, and questions get the answer chosen beforehand.
class ConsolePrompter : public Prompter {
public:
    explicit ConsolePrompter(bool answerYes, std::FILE* out = stdout)
        : answerYes_(answerYes), out_(out) {}
    Answer ask(const Prompt& prompt) override;

private:
    bool answerYes_;
    std::FILE* out_;
};

}  // namespace agrimor
