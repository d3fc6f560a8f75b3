#include "data/day_month_year.h"

#include <QRegularExpression>

namespace agrimor {

QString dayMonthYear(QDate date) {
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 0 || year > 9999)
        return date.isValid() ? date.toString(QStringLiteral("dd-MM-yyyy")) : QString();
    // Written by hand: a sheet read formats a date or two per row, and the general formatter
    // takes more time than the rest of the row.
    const char16_t text[] = {static_cast<char16_t>(u'0' + day / 10),
                             static_cast<char16_t>(u'0' + day % 10),
                             u'-',
                             static_cast<char16_t>(u'0' + month / 10),
                             static_cast<char16_t>(u'0' + month % 10),
                             u'-',
                             static_cast<char16_t>(u'0' + year / 1000),
                             static_cast<char16_t>(u'0' + year / 100 % 10),
                             static_cast<char16_t>(u'0' + year / 10 % 10),
                             static_cast<char16_t>(u'0' + year % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
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
