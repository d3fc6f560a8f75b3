#pragma once

#include "data/error.h"

namespace agrimor {

// Start-up could not reach a usable consolidated database. The message names the file or server
// and says what failed, as the user is to read it.
class StartupError : public Error {
public:
    explicit StartupError(QString message) : Error(std::move(message)) {}
};

}  // namespace agrimor
