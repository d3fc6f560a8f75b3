#!/usr/bin/python3
"""Prints the canonical cell dump of a workbook (.xlsx, .xlsm through openpyxl, .xls through
xlrd), in the form README.md defines. It is the expected side of the golden cases, so it must
never use the project's own reader.

Usage: dump.py WORKBOOK            prints the dump
       dump.py --check FOLDER...   compares each case folder's workbook with its check.txt

Only the libraries' parsing is used: dates, times and the date system are decided here from
the raw serial and the format code, by the rules of README.md, because the libraries' own
date conversion disagrees with the spreadsheet (time formats taken for dates, the 1900 leap
day, rounding to milliseconds).
"""

import datetime as dt
import math
import os
import re
import struct
import sys
import warnings
import xml.etree.ElementTree as ET
import zipfile

import openpyxl.reader.excel as openpyxl_excel
import openpyxl.worksheet._reader as openpyxl_sheet_reader
import xlrd
from openpyxl.cell.text import Text
from openpyxl.reader.excel import ExcelReader
from openpyxl.xml.functions import iterparse
from openpyxl.utils.cell import get_column_letter

MAIN_NS = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
WORKBOOK_SUFFIXES = (".xlsx", ".xlsm", ".xls")

# openpyxl warns about packages without styles, which some of the cases are on purpose.
warnings.simplefilter("ignore", UserWarning)

# Keep every serial number as openpyxl read it; this module converts them itself.
openpyxl_sheet_reader.from_excel = lambda value, *args, **kwargs: value


def raw_string_table(xml_source):
    """The shared strings as the part holds them, _xHHHH_ escapes and all: openpyxl's own
    reader removes every "x005F_" and decodes nothing else, so text_of() decodes instead, the
    same way for shared, inline and formula texts."""
    strings = []
    for _event, node in iterparse(xml_source):
        if node.tag == MAIN_NS + "si":
            strings.append(Text.from_tree(node).content)
            node.clear()
    return strings


openpyxl_excel.read_string_table = raw_string_table


def _utf16_pieces(raw, encoding):
    """xlrd decodes a .xls shared string one record at a time, so a character outside the
    BMP whose two halves fall in two records would fail; keep the halves, joined_units() joins
    them."""
    if encoding == "utf_16_le":
        return raw.decode(encoding, "surrogatepass")
    return raw.decode(encoding)


xlrd.book.unicode = _utf16_pieces

_LABEL, _RSTRING, _CONTINUE = 0x0204, 0x00D6, 0x003C
_record_parts = xlrd.book.Book.get_record_parts


def _record_parts_with_continues(book):
    """A text cell record with the CONTINUE records that follow it, joined byte for byte:
    gnumeric writes texts longer than a record so, in both .xls formats (no width byte starts
    a CONTINUE, a character may straddle two); xlrd alone would keep the first record."""
    code, length, data = _record_parts(book)
    if code in (_LABEL, _RSTRING):
        mem = book.mem
        while book._position + 4 <= len(mem):
            follow, size = struct.unpack("<HH", mem[book._position:book._position + 4])
            if follow != _CONTINUE:
                break
            data += mem[book._position + 4:book._position + 4 + size]
            book._position += 4 + size
        length = len(data)
    return code, length, data


xlrd.book.Book.get_record_parts = _record_parts_with_continues


# --- format codes -------------------------------------------------------------------------

_LITERALS = re.compile(r'"[^"]*"|\\.|_.|\*.', re.S)
_ELAPSED = re.compile(r"\[(h+|m+|s+)\]", re.I)
_SECTIONS = re.compile(r"\[[^\]]*\]")
_AM_PM = re.compile(r"am/pm|a/p", re.I)


def is_date_format(code):
    """True when the code shows a day, month or year; time-only codes are not dates."""
    if not code:
        return False
    code = _LITERALS.sub("", code)
    # Elapsed hours and seconds ([h], [ss]) still mark the minutes beside them; elapsed
    # minutes ([mm]) are minutes whatever surrounds them.
    code = _ELAPSED.sub(lambda m: "" if m.group(1)[0] in "mM" else m.group(1)[0], code)
    code = _AM_PM.sub("", _SECTIONS.sub("", code)).lower()
    tokens = re.findall(r"d+|y+|m+|h+|s+", code)
    for i, token in enumerate(tokens):
        if token[0] in "dy":
            return True
        if token[0] == "m":
            after_hour = i > 0 and tokens[i - 1][0] == "h"
            before_second = i + 1 < len(tokens) and tokens[i + 1][0] == "s"
            if not (after_hour or before_second):
                return True
    return False


# --- values -------------------------------------------------------------------------------

def number_text(value):
    value = float(value)
    if value.is_integer() and abs(value) < 1e15:
        return str(int(value))
    return repr(value)


_XML_ESCAPE = re.compile(r"_x([0-9A-Fa-f]{4})_")


def text_of(stored):
    """Cell text with the package's _xHHHH_ escapes (UTF-16 units: "_x000D_" a carriage return,
    "_x005F_" the underscore that keeps a literal "_x000D_") turned back into characters."""
    if "_x" not in stored:
        return stored
    return joined_units(_XML_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), stored))


def joined_units(text):
    """A text whose characters outside the BMP may be held as two surrogate halves, joined."""
    return text.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace")


_ESCAPES = {"\\": "\\\\", "\t": "\\t", "\n": "\\n", "\r": "\\r"}


def text_value(text):
    for ch in text:
        if ord(ch) < 0x20 and ch not in _ESCAPES:
            raise ValueError(f"control character {ord(ch):#x} has no escape in the dump")
    return "".join(_ESCAPES.get(ch, ch) for ch in text)


def date_text(moment):
    text = moment.strftime("%Y-%m-%d")
    if isinstance(moment, dt.datetime) and (moment.hour or moment.minute or moment.second):
        text += moment.strftime(" %H:%M:%S")
    return text


def serial_to_date(serial, date1904):
    """The day and time the spreadsheet shows for a serial, or None when it shows no real
    date: before its first day, the 1900 system's 29 February 1900, past 31-12-9999."""
    seconds = math.floor(serial * 86400 + 0.5)
    days, second_of_day = divmod(seconds, 86400)
    if date1904:
        if not 0 <= days <= 2957003:
            return None
        day = dt.datetime(1904, 1, 1) + dt.timedelta(days=days)
    else:
        if days < 1 or days == 60 or days > 2958465:
            return None
        # Serials 1 to 59 count from 1 January 1900, as if 1900 were a leap year.
        origin = dt.datetime(1899, 12, 31) if days < 60 else dt.datetime(1899, 12, 30)
        day = origin + dt.timedelta(days=days)
    return day + dt.timedelta(seconds=second_of_day)


def number_cell(value, code, date1904):
    if is_date_format(code):
        moment = serial_to_date(float(value), date1904)
        if moment is not None:
            return "d", date_text(moment)
    return "n", number_text(value)


# --- readers ------------------------------------------------------------------------------

def stated_dimension(path, part):
    """The <dimension ref> of a worksheet part, normalised to FIRST:LAST, or '-'."""
    with zipfile.ZipFile(path) as archive, archive.open(part) as src:
        for _event, element in ET.iterparse(src):
            if element.tag == MAIN_NS + "dimension":
                ref = element.get("ref", "").replace("$", "").upper()
                first, _, last = ref.partition(":")
                return f"{first}:{last or first}"
            if element.tag == MAIN_NS + "sheetData":
                break
    return "-"


def dump_openxml(path):
    reader = ExcelReader(path, read_only=False, keep_vba=False, data_only=True, keep_links=False)
    reader.read()
    wb = reader.wb
    parts = [rel.target for _sheet, rel in reader.parser.find_sheets()
             if rel.target in reader.valid_files and "chartsheet" not in rel.Type]
    date1904 = wb.epoch.year == 1904
    lines = []
    for ws, part in zip(wb.worksheets, parts):
        hidden = " hidden" if ws.sheet_state in ("hidden", "veryHidden") else ""
        lines.append(f"sheet {ws.title}{hidden}")
        lines.append(f"dim {stated_dimension(path, part)}")
        for (row, col), cell in sorted(ws._cells.items()):
            entry = openxml_cell(cell, date1904)
            if entry:
                lines.append(f"{row}\t{get_column_letter(col)}\t{entry[0]}\t{entry[1]}")
    return lines


def openxml_cell(cell, date1904):
    value = cell.value
    if value is None:
        return None
    if cell.data_type == "e":
        return "e", value
    if isinstance(value, bool):
        return "b", "TRUE" if value else "FALSE"
    if isinstance(value, str):
        value = text_of(value)
        return ("s", text_value(value)) if value else None
    if isinstance(value, (int, float)):
        return number_cell(value, cell.number_format, date1904)
    if isinstance(value, (dt.datetime, dt.date)):  # an ISO 8601 date cell
        return "d", date_text(value)
    raise ValueError(f"{cell.coordinate}: unexpected value {value!r}")


def dump_biff(path):
    book = xlrd.open_workbook(path, formatting_info=True, on_demand=True)
    lines = []
    for index in range(book.nsheets):
        sheet = book.sheet_by_index(index)
        hidden = " hidden" if sheet.visibility else ""
        lines.append(f"sheet {sheet.name}{hidden}")
        lines.append(f"dim {biff_dimension(book, index)}")
        for row in range(sheet.nrows):
            for col in range(sheet.row_len(row)):
                entry = biff_cell(book, sheet.cell(row, col))
                if entry:
                    lines.append(f"{row + 1}\t{get_column_letter(col + 1)}\t{entry[0]}\t{entry[1]}")
    return lines


def biff_cell(book, cell):
    kind = cell.ctype
    if kind in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return None
    if kind == xlrd.XL_CELL_TEXT:
        return ("s", text_value(joined_units(cell.value))) if cell.value else None
    if kind == xlrd.XL_CELL_BOOLEAN:
        return "b", "TRUE" if cell.value else "FALSE"
    if kind == xlrd.XL_CELL_ERROR:
        return "e", xlrd.error_text_from_code[cell.value]
    xf = book.xf_list[cell.xf_index]
    code = book.format_map[xf.format_key].format_str
    return number_cell(cell.value, code, book.datemode == 1)


def sheet_records(book, index):
    """The records of a sheet's substream as (type, body), up to its EOF."""
    data = book.mem
    pos = book._sh_abs_posn[index]
    while pos + 4 <= len(data):
        code = int.from_bytes(data[pos:pos + 2], "little")
        size = int.from_bytes(data[pos + 2:pos + 4], "little")
        yield code, data[pos + 4:pos + 4 + size]
        if code == 0x000A:
            break
        pos += 4 + size


def biff_dimension(book, index):
    """The sheet's DIMENSIONS record (first used row and column, last ones plus one)."""
    for code, body in sheet_records(book, index):
        if code == 0x0200:
            # BIFF8 counts rows in 4 bytes; BIFF5 and BIFF7 (Excel 5 to 95) in 2.
            wide = 4 if book.biff_version >= 80 else 2
            first_row = int.from_bytes(body[0:wide], "little")
            end_row = int.from_bytes(body[wide:2 * wide], "little")
            first_col = int.from_bytes(body[2 * wide:2 * wide + 2], "little")
            end_col = int.from_bytes(body[2 * wide + 2:2 * wide + 4], "little")
            if end_row <= first_row or end_col <= first_col:
                return "-"
            return (f"{get_column_letter(first_col + 1)}{first_row + 1}:"
                    f"{get_column_letter(end_col)}{end_row}")
    return "-"


def uses_1904(path):
    if path.lower().endswith(".xls"):
        return xlrd.open_workbook(path, on_demand=True).datemode == 1
    reader = ExcelReader(path, read_only=True, data_only=True)
    reader.read()
    return reader.wb.epoch.year == 1904


def dump(path):
    lines = dump_biff(path) if path.lower().endswith(".xls") else dump_openxml(path)
    return "\n".join(lines) + "\n"


def case_workbook(folder):
    books = [name for name in sorted(os.listdir(folder))
             if name.lower().endswith(WORKBOOK_SUFFIXES)]
    if len(books) != 1:
        raise SystemExit(f"{folder}: expected one workbook, found {books}")
    return os.path.join(folder, books[0])


def main(argv):
    if len(argv) >= 2 and argv[0] == "--check":
        failed = 0
        for folder in argv[1:]:
            with open(os.path.join(folder, "check.txt"), encoding="utf-8") as f:
                expected = f.read()
            if dump(case_workbook(folder)) != expected:
                print(f"{folder}: dump differs from check.txt")
                failed += 1
        return 1 if failed else 0
    if len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    sys.stdout.write(dump(argv[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
