#include "consolidation/processing_input.h"

#include <limits>

#include "consolidation/consolidation_error.h"

namespace agrimor {

const QStringList& groupCompanyNames() {
    static const QStringList names{
        QStringLiteral("Velmor"),          QStringLiteral("Velmor Holding"),
        QStringLiteral("Velmor Mediação"), QStringLiteral("Velmor Norte"),
        QStringLiteral("Velmor Centro"),   QStringLiteral("Velmor Sul"),
    };
    return names;
}

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

QString periodFilterAnd(bool cumulative) {
    return cumulative ? QStringLiteral(" Mes>=1  AND (MES <= ?) AND")
                      : QStringLiteral(" (MES >= ?) AND (MES <= ?) AND");
}

Params periodParams(const Period& period) {
    if (period.cumulative)
        return {period.month};
    return {period.month, period.month};
}

}  // namespace agrimor
