#pragma once

#include <QString>
#include <ostream>

// GoogleTest shows a QString as its text (UTF-8) instead of a list of code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
