#pragma once

#include <QDate>
#include <QString>
#include <stdexcept>

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

// A workbook that is missing, is not a workbook, can not be read, or lacks a sheet; also what a
// sheet reader raises for a cell it can not take. `number()` is the error number shown beside
// the text: 53 for a missing file, 13 for a cell of the wrong type, kUnreadable otherwise.
class WorkbookError : public std::runtime_error {
public:
    static constexpr int kFileNotFound = 53;
    static constexpr int kTypeMismatch = 13;
    static constexpr int kUnreadable = -2147467259;

    WorkbookError(int number, QString message);

    int number() const { return number_; }
    const QString& message() const { return message_; }

private:
    int number_;
    QString message_;
};

// Excel's date serial numbers (days since 30 December 1899, the 1900 date system).
QDate dateFromSerial(double serial);
double serialFromDate(QDate date);

}  // namespace agrimor
