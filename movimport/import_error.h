#pragma once

#include <QString>

#include "data/error.h"

namespace agrimor {

// A failure of the movement import that is not the database's own: a numerator missing when the
// movements are written, a date that is no date, a document too long to number its lines. The
// writing reports every failure, its own and the database's, as one of these with number 5000.
class ImportError : public Error {
public:
    static constexpr int kNumber = 5000;

    explicit ImportError(QString message, int number = kNumber)
        : Error(std::move(message), number) {}
};

}  // namespace agrimor
