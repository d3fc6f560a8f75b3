#include "value.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace agrimor {

QDateTime naiveDateTime(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

int writeIsoDateTime(const QDateTime& value, char separator, char* out) {
    if (!value.isValid())
        return 0;
    return writeIsoDateTime(value.date(), value.time(), separator, out);
}

int writeIsoDateTime(QDate date, QTime time, char separator, char* out) {
    // Written by hand: bulk writes format a date per row, and the general formatter is slow.
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    char* const start = out;
    auto two = [&out](int n) {
        *out++ = static_cast<char>('0' + n / 10);
        *out++ = static_cast<char>('0' + n % 10);
    };
    for (const int part : {year / 1000 % 10, year / 100 % 10, year / 10 % 10, year % 10})
        *out++ = static_cast<char>('0' + part);
    *out++ = '-';
    two(month);
    *out++ = '-';
    two(day);
    *out++ = separator;
    two(time.hour());
    *out++ = ':';
    two(time.minute());
    *out++ = ':';
    two(time.second());
    return static_cast<int>(out - start);
}

QString isoDateTimeText(const QDateTime& value, QChar separator) {
    char text[kIsoDateTimeLength];
    const int length = writeIsoDateTime(value, static_cast<char>(separator.unicode()), text);
    return QString::fromLatin1(text, length);
}

namespace {

// Digits at [from, from + count) as a number; -1 when one of them is not a digit.
int digitsAt(QStringView text, qsizetype from, int count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The forms the databases hand back, read by hand: every date column of every row read comes
// through here, and the general parser is slow. Anything else is left to the general parser.
std::optional<QDateTime> parseIsoQuickly(QStringView text) {
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return std::nullopt;
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    const QDate date(year, month, day);
    if (text.size() == 10)
        return naiveDateTime(date);
    if (text.size() < 19 || (text[10] != u' ' && text[10] != u'T') || text[13] != u':' ||
        text[16] != u':')
        return std::nullopt;
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2),
              second = digitsAt(text, 17, 2);
    int millisecond = 0;
    if (text.size() >= 23 && text[19] == u'.')
        millisecond = std::max(digitsAt(text, 20, 3), 0);
    if (hour < 0 || minute < 0 || second < 0 || !QTime::isValid(hour, minute, second, millisecond))
        return std::nullopt;
    return naiveDateTime(date, QTime(hour, minute, second, millisecond));
}

}  // namespace

QDateTime parseIsoDateTime(QStringView text) {
    text = text.trimmed();
    if (text.size() < 10)
        return {};
    if (const std::optional<QDateTime> quick = parseIsoQuickly(text))
        return *quick;
    const QDate date = QDate::fromString(text.left(10).toString(), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return {};
    if (text.size() == 10)
        return naiveDateTime(date);
    if (text[10] != QLatin1Char(' ') && text[10] != QLatin1Char('T'))
        return {};
    QStringView timeText = text.mid(11);
    if (timeText.size() > 12)
        timeText = timeText.left(12);
    QTime time = QTime::fromString(timeText.toString(), QStringLiteral("hh:mm:ss.zzz"));
    if (!time.isValid())
        time = QTime::fromString(timeText.left(8).toString(), QStringLiteral("hh:mm:ss"));
    if (!time.isValid() && timeText.size() == 5)
        time = QTime::fromString(timeText.toString(), QStringLiteral("hh:mm"));
    if (!time.isValid())
        return {};
    return naiveDateTime(date, time);
}

Value::Value(QDate v) : data_(naiveDateTime(v)) {
    if (!v.isValid())
        data_ = std::monostate{};
}

Value::Value(const QDateTime& v) : data_(QDateTime(v.date(), v.time(), Qt::UTC)) {
    if (!v.isValid())
        data_ = std::monostate{};
}

QString Value::toText() const {
    switch (kind()) {
        case Kind::Null:
            return {};
        case Kind::Integer:
            return QString::number(std::get<std::int64_t>(data_));
        case Kind::Real:
            return QString::number(std::get<double>(data_), 'g', 15);
        case Kind::Money:
            return std::get<agrimor::Money>(data_).toString();
        case Kind::Text:
            return std::get<QString>(data_);
        case Kind::DateTime: {
            const QDateTime& dt = std::get<QDateTime>(data_);
            return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy-MM-dd"))
                                            : dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        }
    }
    return {};
}

std::int64_t Value::toInt(bool* ok) const {
    bool good = true;
    std::int64_t result = 0;
    switch (kind()) {
        case Kind::Integer:
            result = std::get<std::int64_t>(data_);
            break;
        case Kind::Real:
            result = std::llround(std::get<double>(data_));
            break;
        case Kind::Money:
            result = std::get<agrimor::Money>(data_).roundedTo(0).units() / agrimor::Money::kScale;
            break;
        case Kind::Text: {
            const QString text = std::get<QString>(data_).trimmed();
            result = text.toLongLong(&good);
            if (!good) {
                const double d = text.toDouble(&good);
                result = good ? std::llround(d) : 0;
            }
            break;
        }
        default:
            good = false;
    }
    if (ok)
        *ok = good;
    return result;
}

double Value::toDouble(bool* ok) const {
    bool good = true;
    double result = 0;
    switch (kind()) {
        case Kind::Integer:
            result = static_cast<double>(std::get<std::int64_t>(data_));
            break;
        case Kind::Real:
            result = std::get<double>(data_);
            break;
        case Kind::Money:
            result = std::get<agrimor::Money>(data_).toDouble();
            break;
        case Kind::Text:
            result = std::get<QString>(data_).trimmed().toDouble(&good);
            break;
        default:
            good = false;
    }
    if (ok)
        *ok = good;
    return result;
}

agrimor::Money Value::toMoney(bool* ok) const {
    bool good = true;
    agrimor::Money result;
    switch (kind()) {
        case Kind::Integer:
            result = agrimor::Money::fromWhole(std::get<std::int64_t>(data_));
            break;
        case Kind::Real:
            result = agrimor::Money::fromDouble(std::get<double>(data_));
            break;
        case Kind::Money:
            result = std::get<agrimor::Money>(data_);
            break;
        case Kind::Text: {
            const auto parsed = agrimor::Money::parse(std::get<QString>(data_));
            good = parsed.has_value();
            result = parsed.value_or(agrimor::Money());
            break;
        }
        default:
            good = false;
    }
    if (ok)
        *ok = good;
    return result;
}

QDateTime Value::toDateTime() const {
    switch (kind()) {
        case Kind::DateTime:
            return std::get<QDateTime>(data_);
        case Kind::Text:
            return parseIsoDateTime(std::get<QString>(data_));
        default:
            return {};
    }
}

}  // namespace agrimor
