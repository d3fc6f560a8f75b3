#pragma once

#include "core/prompter.h"

namespace agrimor {

// While a screen's command works: the busy cursor, taken down while a message or question waits
// for the user, and the window repainted after each one has gone (without taking the user's
// clicks meanwhile). Lives for the command; every prompt goes on to `inner`.
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
