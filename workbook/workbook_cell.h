#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include "data/day_month_year.h"

namespace agrimor {

// One cell of a sheet as the readers deliver it and the writers take it: what the spreadsheet
// shows, with nothing recalculated. A formula cell is its stored result (a formula without one
// is empty); a number whose format shows a day, month or year is a date.
struct Cell {
    enum class Kind {
        Empty,
        Text,
        Number,
        Date,     // `date`, and `time` when the format shows one (00:00:00 otherwise)
        Boolean,  // `number` is 1 for TRUE, 0 for FALSE
        Error,    // `text` is the error the spreadsheet shows: "#DIV/0!", "#N/A", ...
    };

    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    QDate date;
    QTime time;

    static Cell empty() { return {}; }
    static Cell ofText(QString value) { return {Kind::Text, std::move(value), 0, {}, {}}; }
    static Cell ofNumber(double value) { return {Kind::Number, {}, value, {}, {}}; }
    static Cell ofDate(QDate value, QTime time = QTime(0, 0)) {
        return {Kind::Date, {}, 0, value, time};
    }
    static Cell ofBoolean(bool value) { return {Kind::Boolean, {}, value ? 1.0 : 0.0, {}, {}}; }
    static Cell ofError(QString code) { return {Kind::Error, std::move(code), 0, {}, {}}; }

    bool isEmpty() const { return kind == Kind::Empty; }
    bool isError() const { return kind == Kind::Error; }

    // The cell as text, for a text column: numbers in their shortest exact form ("211", "1.5"),
    // dates as "dd-mm-yyyy" (a date-time gives its date), a boolean as a Portuguese spreadsheet
    // shows it ("VERDADEIRO", "FALSO"), an empty cell as "". An error gives its code, for
    // messages only: the readers refuse an error cell before they would store it.
    QString toText() const;
};

}  // namespace agrimor
