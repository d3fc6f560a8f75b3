#pragma once

#include "data/error.h"

namespace agrimor {

// A failure of a consolidation command that is not the database's: a settings row missing or
// incomplete, a year that is not a number, a rate that cannot divide, an anomalies file that
// can not be written. Shown like a database error, with the company it happened on.
class ConsolidationError : public Error {
public:
    explicit ConsolidationError(QString message) : Error(std::move(message)) {}
};

}  // namespace agrimor
