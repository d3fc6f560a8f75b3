#include "movimport/workbook_cell.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace agrimor {

namespace {

const QDate kSerialOrigin(1899, 12, 30);

}  // namespace

QString Cell::toText() const {
    switch (kind) {
        case Kind::Empty:
            return {};
        case Kind::Text:
            return text;
        case Kind::Date:
            return dayMonthYear(date);
        case Kind::Number:
            // Whole numbers without exponent or decimals, so a code typed as a number (211)
            // reads as the code, as a sheet shows it.
            if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
                return QString::number(static_cast<qint64>(number));
            return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    return {};
}

WorkbookError::WorkbookError(int number, QString message)
    : std::runtime_error(message.toStdString()), number_(number), message_(std::move(message)) {}

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

QDate dateFromSerial(double serial) {
    if (!std::isfinite(serial) || serial < -1e6 || serial > 1e7)
        return {};
    return kSerialOrigin.addDays(static_cast<qint64>(std::floor(serial)));
}

double serialFromDate(QDate date) {
    return static_cast<double>(kSerialOrigin.daysTo(date));
}

}  // namespace agrimor
