#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace agrimor {

// A failure of the movement import that is not the database's own: a numerator missing when the
// movements are written, a date that is no date, a document too long to number its lines. The
// writing reports every failure, its own and the database's, as one of these with number 5000.
class ImportError : public std::runtime_error {
public:
    static constexpr std::int64_t kNumber = 5000;

    explicit ImportError(const QString& message, std::int64_t number = kNumber)
        : std::runtime_error(message.toStdString()), number_(number), message_(message) {}

    std::int64_t number() const { return number_; }
    const QString& message() const { return message_; }

private:
    std::int64_t number_;
    QString message_;
};

}  // namespace agrimor
