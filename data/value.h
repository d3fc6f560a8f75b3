#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <variant>

#include "money.h"

namespace agrimor {

// One database value: what a result set holds in a field and what a statement binds to a
// parameter. Date-times are naive (no time zone): the database holds them without one.
class Value {
public:
    enum class Kind { Null, Integer, Real, Money, Text, DateTime };

    Value() = default;
    Value(int v) : data_(static_cast<std::int64_t>(v)) {}
    Value(std::int64_t v) : data_(v) {}
    Value(long long v) : data_(static_cast<std::int64_t>(v)) {}
    Value(double v) : data_(v) {}
    Value(agrimor::Money v) : data_(v) {}
    Value(const QString& v) : data_(v) {}
    Value(QString&& v) : data_(std::move(v)) {}
    Value(const char*) = delete;  // say QStringLiteral: the encoding is then certain
    Value(QDate v);
    Value(const QDateTime& v);

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    // The value held, without a copy; null when the value is of another kind.
    const QString* asText() const { return std::get_if<QString>(&data_); }
    const QDateTime* asDateTime() const { return std::get_if<QDateTime>(&data_); }
    const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(&data_); }
    const double* asReal() const { return std::get_if<double>(&data_); }
    const agrimor::Money* asMoney() const { return std::get_if<agrimor::Money>(&data_); }

    // Conversions are lenient, as the program's null-safe helpers expect: a null gives the empty
    // text, 0 or an invalid date; text holding a number converts to that number.
    QString toText() const;
    std::int64_t toInt(bool* ok = nullptr) const;
    double toDouble(bool* ok = nullptr) const;
    agrimor::Money toMoney(bool* ok = nullptr) const;
    QDateTime toDateTime() const;
    QDate toDate() const { return toDateTime().date(); }

    bool operator==(const Value& other) const = default;

private:
    std::variant<std::monostate, std::int64_t, double, agrimor::Money, QString, QDateTime> data_;
};

using Params = QList<Value>;

// A naive date-time at the given date, midnight.
QDateTime naiveDateTime(QDate date, QTime time = QTime(0, 0));
// "yyyy-mm-dd hh:mm:ss" with the given separator between date and time ("" for invalid).
QString isoDateTimeText(const QDateTime& value, QChar separator);
// The same text written as bytes at `out`, which holds kIsoDateTimeLength; returns how many were
// written (0 for an invalid date-time).
inline constexpr int kIsoDateTimeLength = 19;
int writeIsoDateTime(const QDateTime& value, char separator, char* out);
// The same of a valid date and time.
int writeIsoDateTime(QDate date, QTime time, char separator, char* out);
// Reads "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss[.fff]" and "yyyy-mm-ddThh:mm:ss[.fff]".
QDateTime parseIsoDateTime(QStringView text);

}  // namespace agrimor
