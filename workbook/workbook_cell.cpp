#include "workbook/workbook_cell.h"

#include <QLocale>
#include <cmath>

#include "workbook/serial_date.h"

namespace agrimor {

namespace {

// Past the end of 31-12-9999 a spreadsheet shows no time for a serial; the bound also keeps
// the seconds well inside an integer.
constexpr double kPastLastDay = 2958466;

QString clockText(std::int64_t seconds) {
    const QLatin1Char zero('0');
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, zero)
        .arg(seconds / 60 % 60, 2, 10, zero)
        .arg(seconds % 60, 2, 10, zero);
}

}  // namespace

QString Cell::toText() const {
    switch (kind) {
        case Kind::Empty:
            return {};
        case Kind::Text:
        case Kind::Error:
            return text;
        case Kind::Date:
            return dayMonthYear(date);
        case Kind::Boolean:
            return number != 0 ? QStringLiteral("VERDADEIRO") : QStringLiteral("FALSO");
        case Kind::Number:
            if (timeFormatted && number >= 0 && number < kPastLastDay)
                return clockText(secondsFromSerial(number));
            return numberText();
    }
    return {};
}

QString Cell::numberText() const {
    // Whole numbers without exponent or decimals, so a code typed as a number (211) reads as
    // the code, as a sheet shows it.
    if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

QString columnLetters(int column) {
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

}  // namespace agrimor
