#include "workbook/serial_date.h"

#include <cmath>
#include <cstdint>

namespace agrimor {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Serial 2958465 is 31-12-9999 in the 1900 system, 2957003 in the 1904 one.
constexpr std::int64_t kLast1900 = 2958465;
constexpr std::int64_t kLast1904 = 2957003;
constexpr std::int64_t kPhantomLeapDay = 60;

const QDate kBefore1900(1899, 12, 31);  // serials 1 to 59 count from here
const QDate kOrigin1900(1899, 12, 30);  // serials from 61
const QDate kOrigin1904(1904, 1, 1);

}  // namespace

bool dateFromSerial(double serial, DateSystem system, QDate& date, QTime& time) {
    if (!std::isfinite(serial) || std::fabs(serial) > 1e7)
        return false;
    const std::int64_t seconds = secondsFromSerial(serial);
    // Floor division: a negative serial belongs to the day before.
    std::int64_t day = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0)
        --day;
    const auto second = static_cast<int>(seconds - day * kSecondsPerDay);
    if (system == DateSystem::From1904) {
        if (day < 0 || day > kLast1904)
            return false;
        date = kOrigin1904.addDays(day);
    } else {
        if (day < 1 || day == kPhantomLeapDay || day > kLast1900)
            return false;
        date = (day < kPhantomLeapDay ? kBefore1900 : kOrigin1900).addDays(day);
    }
    time = QTime(0, 0).addSecs(second);
    return true;
}

QDate dateFromSerial(double serial, DateSystem system) {
    QDate date;
    QTime time;
    return dateFromSerial(serial, system, date, time) ? date : QDate();
}

std::int64_t secondsFromSerial(double serial) {
    return static_cast<std::int64_t>(
        std::floor(serial * static_cast<double>(kSecondsPerDay) + 0.5));
}

double serialFromDate(QDate date) {
    static const QDate firstOfMarch1900(1900, 3, 1);
    const QDate origin = date < firstOfMarch1900 && date > kBefore1900 ? kBefore1900 : kOrigin1900;
    return static_cast<double>(origin.daysTo(date));
}

}  // namespace agrimor
