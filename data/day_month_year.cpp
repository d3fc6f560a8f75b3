#include "data/day_month_year.h"

#include <QRegularExpression>

namespace agrimor {

QString dayMonthYear(QDate date) {
    return date.isValid() ? date.toString(QStringLiteral("dd-MM-yyyy")) : QString();
}

QDate parseDayMonthYear(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,2})[-/.](\\d{1,2})[-/.](\\d{4})\\s*$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return {};
    return QDate(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt());
}

}  // namespace agrimor
