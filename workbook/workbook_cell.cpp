#include "workbook/workbook_cell.h"

#include <QLocale>
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

QDate dateFromSerial(double serial) {
    if (!std::isfinite(serial) || serial < -1e6 || serial > 1e7)
        return {};
    return kSerialOrigin.addDays(static_cast<qint64>(std::floor(serial)));
}

double serialFromDate(QDate date) {
    return static_cast<double>(kSerialOrigin.daysTo(date));
}

}  // namespace agrimor
