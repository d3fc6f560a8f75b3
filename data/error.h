#pragma once

#include <QString>
#include <stdexcept>

namespace agrimor {

// The base of every failure the program reports: the text the user reads and the number shown
// beside it where a screen shows one (a database's provider or native number, 53 for a missing
// workbook, ...); 0 where the failure has none. what() holds the same text in UTF-8, for code
// that only knows std::exception.
//
// Each layer derives its own kind (DbError, WorkbookError, ConsolidationError, ...) so that a
// caller can catch the one it handles; the screens catch Error and show it with errorText().
class Error : public std::runtime_error {
public:
    explicit Error(QString message, int number = 0)
        : std::runtime_error(message.toStdString()),
          message_(std::move(message)),
          number_(number) {}

    const QString& message() const { return message_; }
    int number() const { return number_; }

private:
    QString message_;
    int number_;
};

}  // namespace agrimor
