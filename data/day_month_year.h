#pragma once

#include <QDate>
#include <QString>

namespace agrimor {

// Dates from the user and the sheets are day-month-year texts with two-digit day and month:
// "31-01-2024". The one place that writes and reads them.
QString dayMonthYear(QDate date);
// Reads "d-m-yyyy" with one or two digits for day and month, '-', '/' or '.' between the parts
// and spaces around; an invalid date for any other text or a day that does not exist.
QDate parseDayMonthYear(const QString& text);

}  // namespace agrimor
