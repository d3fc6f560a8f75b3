#pragma once

#include "core/prompter.h"

namespace agrimor {

// Wraps a screen's prompter while one of its commands works: the busy cursor is up for the
// wrapper's lifetime, taken down while a question waits for the user, and the window is repainted
// after each message box has gone.
class BusyPrompter : public Prompter {
public:
    explicit BusyPrompter(Prompter& inner);
    ~BusyPrompter() override;
    BusyPrompter(const BusyPrompter&) = delete;
    BusyPrompter& operator=(const BusyPrompter&) = delete;

    Answer ask(const Prompt& prompt) override;

private:
    Prompter& inner_;
};

}  // namespace agrimor
