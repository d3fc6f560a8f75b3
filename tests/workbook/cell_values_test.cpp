#include <gtest/gtest.h>

#include "workbook/number_format.h"
#include "workbook/serial_date.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

TEST(NumberFormat, dates_times_and_numbers_are_told_apart_by_their_parts) {
    using K = NumberFormatKind;
    for (const char* date :
         {"dd-mm-yyyy", "mmm yyyy", "dddd", "\"Dia\" d \"de\" mmmm", "[$-816]dd/mm/yyyy;@",
          "DD-MM-YYYY HH:MM", "yyyy-mm-dd h:mm:ss", "m/d/yy h:mm AM/PM", "mm", "[h]:mm dd"})
        EXPECT_EQ(formatCodeKind(date), K::Date) << date;
    for (const char* time : {"hh:mm", "h:mm:ss", "[h]:mm:ss", "mm:ss.0", "hh\"h\"mm", "HH:MM AM/PM",
                             "[mm]:ss", "[m]", "[SS]", "h:mm;@", "[$-409]h:mm"})
        EXPECT_EQ(formatCodeKind(time), K::Time) << time;
    for (const char* number : {"0 \"dias\"", "[RED]0.00", "#,##0.00 [$€-816]", "General",
                               "0.00E+00", "\\d0", "\\h0", "_)#,##0_)", "* #,##0", "@"})
        EXPECT_EQ(formatCodeKind(number), K::Number) << number;
    EXPECT_EQ(builtInFormatKind(14), K::Date);
    EXPECT_EQ(builtInFormatKind(22), K::Date);
    EXPECT_EQ(builtInFormatKind(18), K::Time);  // h:mm AM/PM
    EXPECT_EQ(builtInFormatKind(21), K::Time);  // h:mm:ss
    EXPECT_EQ(builtInFormatKind(45), K::Time);  // mm:ss
    EXPECT_EQ(builtInFormatKind(47), K::Time);  // mm:ss.0
    EXPECT_EQ(builtInFormatKind(13), K::Number);
    EXPECT_EQ(builtInFormatKind(48), K::Number);
}

TEST(SerialDate, days_are_those_the_spreadsheet_shows_in_both_systems) {
    const auto shown = [](double serial, DateSystem system) {
        QDate date;
        QTime time;
        if (!dateFromSerial(serial, system, date, time))
            return u"número"_s;
        return date.toString(Qt::ISODate) + QLatin1Char(' ') + time.toString(Qt::ISODate);
    };
    const DateSystem s1900 = DateSystem::From1900;
    EXPECT_EQ(shown(1, s1900), u"1900-01-01 00:00:00"_s);
    EXPECT_EQ(shown(59, s1900), u"1900-02-28 00:00:00"_s);
    EXPECT_EQ(shown(60, s1900), u"número"_s);  // 29-02-1900 never was
    EXPECT_EQ(shown(61, s1900), u"1900-03-01 00:00:00"_s);
    EXPECT_EQ(shown(0.5, s1900), u"número"_s);
    EXPECT_EQ(shown(2958465, s1900), u"9999-12-31 00:00:00"_s);
    EXPECT_EQ(shown(2958466, s1900), u"número"_s);
    EXPECT_EQ(shown(46096.604166666664, s1900), u"2026-03-15 14:30:00"_s);
    // A hair below midnight rounds to the next day, as the spreadsheet shows it.
    EXPECT_EQ(shown(46096.9999999, s1900), u"2026-03-16 00:00:00"_s);
    EXPECT_EQ(shown(46096, DateSystem::From1904), u"2030-03-16 00:00:00"_s);
    EXPECT_EQ(shown(0, DateSystem::From1904), u"1904-01-01 00:00:00"_s);
    EXPECT_EQ(shown(-1, DateSystem::From1904), u"número"_s);
    for (const QDate day : {QDate(1900, 1, 1), QDate(1900, 2, 28), QDate(1900, 3, 1),
                            QDate(2024, 2, 29), QDate(9999, 12, 31)})
        EXPECT_EQ(dateFromSerial(serialFromDate(day)), day);
}

}  // namespace
}  // namespace agrimor
