#pragma once

#include "data/error.h"

namespace agrimor {

// A configuration that can not be used; the message says which file and what is wrong.
class ConfigError : public Error {
public:
    explicit ConfigError(QString message) : Error(std::move(message)) {}
};

}  // namespace agrimor
