#pragma once

#include <QString>
#include <stdexcept>

namespace agrimor {

// A failure of the class-9 integration that is not the database's: a year that is not a number,
// a numbering that would overflow its column. Shown like a database error.
class Class9Error : public std::runtime_error {
public:
    explicit Class9Error(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace agrimor
