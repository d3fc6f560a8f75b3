#include "value.h"

#include <cmath>

namespace agrimor {

QDateTime naiveDateTime(QDate date, QTime time) { return QDateTime(date, time, Qt::UTC); }

QDateTime parseIsoDateTime(QStringView text) {
    text = text.trimmed();
    if (text.size() < 10)
        return {};
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
