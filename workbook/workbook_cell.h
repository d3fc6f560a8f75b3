#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include "data/day_month_year.h"

namespace agrimor {

// One cell of a sheet as the readers deliver it and the writers take it: what the spreadsheet
// shows, with nothing recalculated. A formula cell is its stored result (a formula without one
// is empty); a number whose format shows a day, month or year is a date, one whose format shows
// a time and no day is a number that knows it is a time.
struct Cell {
    enum class Kind {
        Empty,
        Text,
        Number,   // `number`; `timeFormatted` when its format shows a time (of day or elapsed)
        Date,     // `date`, and `time` when the format shows one (00:00:00 otherwise)
        Boolean,  // `number` is 1 for TRUE, 0 for FALSE
        Error,    // `text` is the error the spreadsheet shows: "#DIV/0!", "#N/A", ...
    };

    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    QDate date;
    QTime time;
    bool timeFormatted = false;

    static Cell empty() { return {}; }
    static Cell ofText(QString value) { return {Kind::Text, std::move(value), 0, {}, {}, false}; }
    static Cell ofNumber(double value) { return {Kind::Number, {}, value, {}, {}, false}; }
    // A number of days (0.5 is 12:00) whose format shows it as a time.
    static Cell ofTimeSerial(double days) { return {Kind::Number, {}, days, {}, {}, true}; }
    static Cell ofDate(QDate value, QTime time = QTime(0, 0)) {
        return {Kind::Date, {}, 0, value, time, false};
    }
    static Cell ofBoolean(bool value) {
        return {Kind::Boolean, {}, value ? 1.0 : 0.0, {}, {}, false};
    }
    static Cell ofError(QString code) { return {Kind::Error, std::move(code), 0, {}, {}, false}; }

    bool isEmpty() const { return kind == Kind::Empty; }
    bool isError() const { return kind == Kind::Error; }

    // The cell as text, for a text column: numbers in their shortest exact form ("211", "1.5"),
    // a time-formatted number as "hh:mm:ss" to the nearest second, its hours counting on past
    // 24 from a whole day up ("30:00:00"; a negative one or one past the calendar's last day
    // as a number), dates as "dd-mm-yyyy" (a date-time gives its date), a boolean as a
    // Portuguese spreadsheet shows it ("VERDADEIRO", "FALSO"), an empty cell as "". An error
    // gives its code, for messages only: the readers refuse an error cell before they would
    // store it.
    QString toText() const;
    // A number's text in its shortest exact form, whatever its format shows: for a number
    // column, which takes the number itself.
    QString numberText() const;
};

// The letters a spreadsheet shows for a column counted from 1: 1 is "A", 27 is "AA".
QString columnLetters(int column);

}  // namespace agrimor
