#pragma once

#include <QDate>
#include <QTime>
#include <cstdint>

namespace agrimor {

// The two ways a workbook counts days. In the 1900 system serial 1 is 1 January 1900 and serial
// 60 is a 29 February 1900 that never was, so from 1 March 1900 (serial 61) a serial counts
// from 30 December 1899. In the 1904 system serial 0 is 1 January 1904.
enum class DateSystem { From1900, From1904 };

// The day and time of day a date-formatted serial number shows, rounded to the second; false
// when it shows no real day (serial 60 of the 1900 system, days before the system's first,
// past 31-12-9999, not a finite number): the spreadsheet shows such a cell as a number.
bool dateFromSerial(double serial, DateSystem system, QDate& date, QTime& time);
// The day alone, or an invalid date.
QDate dateFromSerial(double serial, DateSystem system = DateSystem::From1900);

// A serial in whole seconds, rounded to the nearest, as the spreadsheet shows dates and times.
// The serial must be finite and well inside the calendar (|serial| <= 1e7).
std::int64_t secondsFromSerial(double serial);

// The 1900-system serial of a day; the inverse of dateFromSerial for every day it gives.
double serialFromDate(QDate date);

}  // namespace agrimor
