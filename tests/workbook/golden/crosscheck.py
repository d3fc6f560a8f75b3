#!/usr/bin/python3
"""Compares every case's check.txt with what a second program, gnumeric's ssconvert, reads
from the same workbook, and prints each disagreement. The ones that are expected are listed
in README.md with the decision taken; anything else is a fault of the dump.

Usage: crosscheck.py FOLDER...

ssconvert gives the cells' raw values (numbers unformatted, dates as serials) in CSV, one
file per sheet, starting at the first used row and column; its native XML gives the sheet
names, their visibility and the cell positions that place the CSV.
"""

import csv
import datetime as dt
import gzip
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from openpyxl.utils.cell import column_index_from_string

import dump

GNM = "{http://www.gnumeric.org/v10.dtd}"


def ssconvert(args):
    subprocess.run(["ssconvert", *args], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, env={**os.environ, "LC_ALL": "C.UTF-8"})


def read_second(book, work):
    """[(name, hidden, {(row, col): raw text})] as gnumeric reads the workbook."""
    native = os.path.join(work, "book.gnumeric")
    ssconvert(["--export-type=Gnumeric_XmlIO:sax", book, native])
    ssconvert(["-S", "--export-type=Gnumeric_stf:stf_assistant",
               "-O", "format=raw separator=; quoting-mode=always",
               book, os.path.join(work, "sheet.%n.csv")])
    with gzip.open(native) as f:
        root = ET.parse(f).getroot()
    sheets = []
    for index, sheet in enumerate(root.iter(GNM + "Sheet")):
        name = sheet.findtext(GNM + "Name")
        hidden = sheet.get("Visibility", "") != "GNM_SHEET_VISIBILITY_VISIBLE"
        places = [(int(c.get("Row")), int(c.get("Col"))) for c in sheet.iter(GNM + "Cell")]
        values = {}
        path = os.path.join(work, f"sheet.{index}.csv")
        if places and os.path.exists(path):
            top = min(r for r, _ in places)
            left = min(c for _, c in places)
            with open(path, newline="", encoding="utf-8") as f:
                for r, line in enumerate(csv.reader(f, delimiter=";")):
                    for c, text in enumerate(line):
                        if text != "":
                            values[(top + r + 1, left + c + 1)] = text
        sheets.append((name, hidden, values))
    return sheets


def read_dump(path):
    """[(name, hidden, {(row, col): (kind, value)})] from a check.txt."""
    sheets = []
    with open(path, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if line.startswith("sheet "):
                name = line[6:]
                hidden = name.endswith(" hidden")
                sheets.append((name[:-7] if hidden else name, hidden, {}))
            elif line.startswith("dim ") or not line:
                continue
            else:
                row, col, kind, value = line.split("\t", 3)
                sheets[-1][2][(int(row), column_index_from_string(col))] = (kind, value)
    return sheets


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\":
            out.append({"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def date_serial(text, date1904):
    moment = dt.datetime.fromisoformat(text)
    if date1904:
        return (moment - dt.datetime(1904, 1, 1)).total_seconds() / 86400
    days = (moment - dt.datetime(1899, 12, 30)).total_seconds() / 86400
    return days - 1 if days < 61 else days


def agrees(kind, value, raw, date1904):
    if kind == "s":
        return raw == unescape(value)
    if kind in ("b", "e"):
        return raw == value
    try:
        number = float(raw)
    except ValueError:
        return False
    if kind == "n":
        return number == float(value)
    return abs(number - date_serial(value, date1904)) < 0.5 / 86400


def compare(folder):
    book = dump.case_workbook(folder)
    date1904 = dump.uses_1904(book)
    with tempfile.TemporaryDirectory() as work:
        try:
            second = read_second(book, work)
        except subprocess.CalledProcessError:
            return ["the second program can not open the workbook"]
    first = read_dump(os.path.join(folder, "check.txt"))
    notes = []
    if [s[0] for s in first] != [s[0] for s in second]:
        notes.append(f"sheets: dump {[s[0] for s in first]}, second {[s[0] for s in second]}")
    for (name, hidden, cells), (_, hidden2, raw) in zip(first, second):
        if hidden != hidden2:
            notes.append(f"{name}: hidden in dump {hidden}, in second {hidden2}")
        for place in sorted(set(cells) | set(raw)):
            where = f"{name}!R{place[0]}C{place[1]}"
            if place not in cells:
                notes.append(f"{where}: dump empty, second {raw[place]!r}")
            elif place not in raw:
                notes.append(f"{where}: dump {cells[place]}, second empty")
            elif not agrees(*cells[place], raw[place], date1904):
                notes.append(f"{where}: dump {cells[place]}, second {raw[place]!r}")
    return notes


def main(folders):
    for folder in folders:
        notes = compare(folder)
        print(f"{os.path.basename(folder.rstrip('/'))}: "
              f"{'agrees' if not notes else str(len(notes)) + ' disagreement(s)'}")
        for note in notes:
            print("  " + note)


if __name__ == "__main__":
    main(sys.argv[1:])
