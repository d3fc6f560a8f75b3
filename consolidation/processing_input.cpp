#include "consolidation/processing_input.h"

#include <limits>

#include "consolidation/consolidation_error.h"

namespace agrimor {

int parseYear(const QString& yearText) {
    const QString text = yearText.trimmed();
    bool ok = !text.isEmpty();
    for (const QChar c : text)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int year = ok ? text.toInt(&ok) : 0;
    if (!ok || year > std::numeric_limits<std::int16_t>::max())
        throw ConsolidationError(
            QStringLiteral("O ano indicado não é um número válido: \"%1\"").arg(yearText));
    return year;
}

}  // namespace agrimor
