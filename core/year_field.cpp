#include "core/year_field.h"

#include <cstdint>
#include <limits>

namespace agrimor {

std::optional<int> parseYearField(const QString& yearText, int lowest, int maxLength) {
    const QString text = yearText.trimmed();
    bool ok = !text.isEmpty() && (maxLength == 0 || text.size() <= maxLength);
    for (const QChar c : text)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int year = ok ? text.toInt(&ok) : 0;
    if (!ok || year < lowest || year > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return year;
}

QString invalidYearMessage(const QString& yearText) {
    return QStringLiteral("O ano indicado não é um número válido: \"%1\"").arg(yearText);
}

}  // namespace agrimor
