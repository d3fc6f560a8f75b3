#pragma once

#include "data/error.h"

namespace agrimor {

// A value that does not fit where it is to be stored: text too long for its column, a number out
// of range, text that is not a number or a date. Callers that read user data turn it into a
// message of their own (naming the sheet row, the cell, ...).
class ValueError : public Error {
public:
    explicit ValueError(QString message) : Error(std::move(message)) {}
};

}  // namespace agrimor
