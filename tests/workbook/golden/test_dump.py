#!/usr/bin/python3
"""Checks the dump's own date rules, the part of the model that no library decides."""

import datetime as dt
import unittest

import dump


class FormatCodes(unittest.TestCase):
    def test_codes_with_a_day_month_or_year_are_dates(self):
        for code in ["mm-dd-yy", "m/d/yy h:mm", "dd-mm-yyyy", "[$-409]dd\\-mm\\-yyyy\\ hh:mm",
                     "mmm yyyy", "dddd", '"Dia" d "de" mmmm', "DD/MM/YYYY;@", "[RED]d-m"]:
            self.assertTrue(dump.is_date_format(code), code)

    def test_times_and_numbers_are_not_dates(self):
        for code in ["General", "h:mm", "hh:mm AM/PM", "[h]:mm:ss", "mm:ss", "mmss.0",
                     "[mm]:ss", '[h]"h"mm', "hh\\hmm", '0 "dias"', "[RED]0.00", "0.00E+00",
                     "#,##0.00 [$€-816]", "@", "", None]:
            self.assertFalse(dump.is_date_format(code), code)


class Serials(unittest.TestCase):
    def day(self, serial, date1904=False):
        return dump.serial_to_date(serial, date1904)

    def test_1900_system_counts_its_leap_day_but_never_shows_it(self):
        self.assertEqual(self.day(1), dt.datetime(1900, 1, 1))
        self.assertEqual(self.day(59), dt.datetime(1900, 2, 28))
        self.assertIsNone(self.day(60))
        self.assertEqual(self.day(61), dt.datetime(1900, 3, 1))
        self.assertEqual(self.day(2958465), dt.datetime(9999, 12, 31))
        for serial in [0, 0.5, -5, 2958466]:
            self.assertIsNone(self.day(serial), serial)

    def test_1904_system_starts_on_its_first_day(self):
        self.assertEqual(self.day(0, True), dt.datetime(1904, 1, 1))
        self.assertEqual(self.day(60, True), dt.datetime(1904, 3, 1))
        self.assertEqual(self.day(44634, True), dt.datetime(2026, 3, 15))
        self.assertIsNone(self.day(-1, True))

    def test_time_rounds_to_the_second_and_may_carry_into_the_next_day(self):
        self.assertEqual(self.day(46096.6041666667), dt.datetime(2026, 3, 15, 14, 30))
        self.assertEqual(self.day(46096.999999999), dt.datetime(2026, 3, 16))
        self.assertEqual(dump.date_text(self.day(46096.5)), "2026-03-15 12:00:00")
        self.assertEqual(dump.date_text(self.day(46096)), "2026-03-15")


class Values(unittest.TestCase):
    def test_numbers_are_integers_below_1e15_and_exact_otherwise(self):
        cases = {211.0: "211", -0.0: "0", 1e15 - 1: "999999999999999", 1e15: "1000000000000000.0",
                 0.1 + 0.2: "0.30000000000000004", 1.5: "1.5"}
        for value, text in cases.items():
            self.assertEqual(dump.number_text(value), text)

    def test_text_escapes(self):
        self.assertEqual(dump.text_value("a\\b\tc\nd\re"), "a\\\\b\\tc\\nd\\re")
        with self.assertRaises(ValueError):
            dump.text_value("bell\x07")

    def test_package_escapes_are_utf16_units_read_once(self):
        cases = {"a_x000D_b": "a\rb", "_x005F_x000D_": "_x000D_", "_xd83d__xDE00_": "\U0001F600",
                 "_xZZZZ_ _x41_ x_": "_xZZZZ_ _x41_ x_", "plain": "plain"}
        for stored, text in cases.items():
            self.assertEqual(dump.text_of(stored), text, stored)


if __name__ == "__main__":
    unittest.main()
