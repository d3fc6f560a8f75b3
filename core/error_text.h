#pragma once

#include <QString>
#include <exception>

namespace agrimor {

class Error;

// Whether a screen shows an error's number before its text. The screens that show one have
// always done so ("53 - O ficheiro ... não existe"); the others show the text alone.
enum class ErrorNumber { Hidden, Shown };

// The one way a failure is put into words for the user: the error's text, or "n - text".
QString errorText(const Error& error, ErrorNumber number = ErrorNumber::Hidden);

// Any failure: an Error as above, anything else by its what() text.
QString errorText(const std::exception& error);

}  // namespace agrimor
