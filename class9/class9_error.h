#pragma once

#include "data/error.h"

namespace agrimor {

// A failure of the class-9 integration that is not the database's: a year that is not a number,
// a numbering that would overflow its column. Shown like a database error.
class Class9Error : public Error {
public:
    explicit Class9Error(QString message) : Error(std::move(message)) {}
};

}  // namespace agrimor
