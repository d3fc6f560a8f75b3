#include "workbook/workbook_cell.h"

#include <QLocale>
#include <cmath>

namespace agrimor {

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
            // Whole numbers without exponent or decimals, so a code typed as a number (211)
            // reads as the code, as a sheet shows it.
            if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
                return QString::number(static_cast<qint64>(number));
            return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    return {};
}

}  // namespace agrimor
