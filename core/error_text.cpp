#include "core/error_text.h"

#include "data/error.h"

namespace agrimor {

QString errorText(const Error& error, ErrorNumber number) {
    if (number == ErrorNumber::Hidden)
        return error.message();
    return QStringLiteral("%1 - %2").arg(error.number()).arg(error.message());
}

}  // namespace agrimor
