#include "core/error_text.h"

#include "data/error.h"

namespace agrimor {

QString errorText(const Error& error, ErrorNumber number) {
    if (number == ErrorNumber::Hidden)
        return error.message();
    return QStringLiteral("%1 - %2").arg(error.number()).arg(error.message());
}

QString errorText(const std::exception& error) {
    if (const auto* known = dynamic_cast<const Error*>(&error))
        return errorText(*known);
    return QString::fromUtf8(error.what());
}

}  // namespace agrimor
