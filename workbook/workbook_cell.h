#pragma once

#include <QDate>
#include <QString>

#include "data/day_month_year.h"

namespace agrimor {

// One cell of a sheet as the readers deliver it and the writers take it.
struct Cell {
    enum class Kind { Empty, Text, Number, Date };

    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    QDate date;

    static Cell empty() { return {}; }
    static Cell ofText(QString value) { return {Kind::Text, std::move(value), 0, {}}; }
    static Cell ofNumber(double value) { return {Kind::Number, {}, value, {}}; }
    static Cell ofDate(QDate value) { return {Kind::Date, {}, 0, value}; }

    bool isEmpty() const { return kind == Kind::Empty; }
    // The cell as the sheet shows it in text: numbers in their shortest exact form ("211",
    // "1.5"), dates as "dd-mm-yyyy", an empty cell as "".
    QString toText() const;
};

// Excel's date serial numbers (days since 30 December 1899, the 1900 date system).
QDate dateFromSerial(double serial);
double serialFromDate(QDate date);

}  // namespace agrimor
