#!/usr/bin/python3
"""Writes the fixtures of the Python spreadsheet libraries (openpyxl and XlsxWriter).

Usage: py_writers.py OUTDIR
"""

import datetime as dt
import os
import sys

import openpyxl
import xlsxwriter
from openpyxl.utils.datetime import MAC_EPOCH

import movement_rows

def case_dir(out, case):
    path = os.path.join(out, case)
    os.makedirs(path, exist_ok=True)
    return path


def make_types(out):
    """Every kind of cell the library writes, on a visible, a hidden and a very hidden sheet."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Tipos"
    ws.append(["Tipo", "Valor", "Outro"])
    ws.append(["texto", "Câmbio à vista", "00123"])
    ws.append(["aspas", "d'Ouro \"Lda\"", "  com espaços  "])
    ws.append(["inteiro", 211, -7])
    ws.append(["decimal", 1234.56, 0.1 + 0.2])
    ws.append(["lógico", True, False])
    ws.append(["fórmula", "=SUM(B4:B5)", "=ROUND(B5*1.23,2)"])
    ws.append(["fórmula texto", '=UPPER(TRIM(A2))', '=TEXT(B9,"dd-mm-yyyy")'])
    ws.append(["data", dt.date(2026, 3, 15), dt.datetime(2026, 3, 15, 14, 30)])
    ws["B9"].number_format = "dd-mm-yyyy"
    ws["C9"].number_format = "dd-mm-yyyy hh:mm"
    ws.append(["data padrão", dt.date(2025, 12, 31), dt.datetime(2025, 12, 31, 23, 59, 59)])
    ws.append(["hora", dt.time(14, 30), dt.timedelta(hours=36, minutes=30)])
    ws.append(["hora formatada", 0.75, 5 / 1440])
    ws["B12"].number_format = "hh:mm"
    ws["C12"].number_format = "mm:ss"
    ws.append(["datas antigas", 1, 60])
    ws["B13"].number_format = "dd/mm/yyyy"
    ws["C13"].number_format = "dd/mm/yyyy"
    ws.append(["formato com texto", 30, 45351])
    ws["B14"].number_format = '0 "dias"'
    ws["C14"].number_format = '"Dia" d "de" mmmm "de" yyyy'
    ws.append(["linhas", "linha 1\nlinha 2", "tab\taqui"])

    hidden = wb.create_sheet("Oculta")
    hidden.sheet_state = "hidden"
    hidden.append(["Moeda", "Câmbio"])
    hidden.append(["USD", 1.0823])

    very = wb.create_sheet("Muito oculta")
    very.sheet_state = "veryHidden"
    very["B2"] = "só aqui"

    wb.create_sheet("Vazia")
    wb.save(os.path.join(case_dir(out, "openpyxl-types"), "tipos.xlsx"))


def make_iso_dates(out):
    """Date cells stored as ISO 8601 text (t="d") instead of serial numbers."""
    wb = openpyxl.Workbook(iso_dates=True)
    ws = wb.active
    ws.title = "Datas ISO"
    ws.append(["Descrição", "Data"])
    ws.append(["só data", dt.date(2026, 3, 15)])
    ws.append(["data e hora", dt.datetime(2026, 3, 15, 14, 30, 5)])
    ws.append(["meia-noite", dt.datetime(2024, 2, 29, 0, 0)])
    ws.append(["número", 45000.5])
    ws["B2"].number_format = "dd-mm-yyyy"
    ws["B3"].number_format = "dd-mm-yyyy hh:mm:ss"
    ws["B5"].number_format = "dd-mm-yyyy"
    wb.save(os.path.join(case_dir(out, "openpyxl-iso-dates"), "iso.xlsx"))


def make_1904(out):
    """A workbook in the 1904 date system: the same serial means another day."""
    wb = openpyxl.Workbook()
    wb.epoch = MAC_EPOCH
    ws = wb.active
    ws.title = "Datas 1904"
    ws.append(["Descrição", "Valor"])
    ws.append(["data", dt.date(2026, 3, 15)])
    ws.append(["data e hora", dt.datetime(2026, 3, 15, 8, 15)])
    ws.append(["série zero", 0])
    ws.append(["série 60", 60])
    ws.append(["hora", 0.5])
    ws.append(["número", 46096])
    ws.append(["negativo", -1])
    for address in ("B2", "B4", "B5", "B8"):
        ws[address].number_format = "dd-mm-yyyy"
    ws["B3"].number_format = "dd-mm-yyyy hh:mm"
    ws["B6"].number_format = "hh:mm"
    wb.save(os.path.join(case_dir(out, "openpyxl-1904"), "datas1904.xlsx"))


def make_movements(out):
    """The movement import's 23 columns as a script exporting from another system writes them."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Movimentos"
    ws.append(movement_rows.HEADERS)
    for m in movement_rows.MOVEMENTS:
        if m is None:
            ws.append([])
            continue
        ws.append(movement_rows.values(m, dt.date(2026, 3, m[4])))
        row = ws.max_row
        for col in ("E", "T"):
            ws[f"{col}{row}"].number_format = "dd-mm-yyyy"
        for col in ("F", "V"):
            ws[f"{col}{row}"].number_format = "#,##0.00"
    wb.save(os.path.join(case_dir(out, "openpyxl-movements"), "movimentos.xlsx"))


def make_amount_texts(out):
    """Movements whose amounts were typed as text: two that read one way only, then "12,500",
    which may be twelve and a half or twelve thousand five hundred (row 4)."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Movimentos"
    ws.append(movement_rows.HEADERS)
    amounts = [("1.234,00", "0,125"), ("1,2340", None), ("12,500", None)]
    for m, (valor, base) in zip(movement_rows.MOVEMENTS, amounts):
        cells = movement_rows.values(m, "02-03-2026")
        cells[5] = valor
        cells[21] = base
        ws.append(cells)
    wb.save(os.path.join(case_dir(out, "openpyxl-amount-texts"), "movimentos.xlsx"))


def make_xlsxwriter(out):
    """A streaming writer: in constant-memory mode every text goes inline, row by row."""
    path = os.path.join(case_dir(out, "xlsxwriter-streaming"), "streaming.xlsx")
    wb = xlsxwriter.Workbook(path, {"constant_memory": True})
    date_fmt = wb.add_format({"num_format": "dd-mm-yyyy"})
    time_fmt = wb.add_format({"num_format": "hh:mm:ss"})
    money_fmt = wb.add_format({"num_format": "#,##0.00"})
    ws = wb.add_worksheet("Exportação")
    ws.write_row(0, 0, ["Conta", "Descrição", "Data", "Hora", "Valor", "Pago", "Total"])
    rows = [
        ("00211", "Fornecedor d'Ouro", dt.datetime(2026, 1, 31), 0.5, 1500.5, True),
        ("0711", "  Serviço \"extra\"  ", dt.datetime(2026, 2, 28, 9, 45), 0.40625, -20.25, False),
    ]
    for r, (conta, descr, date, time, valor, pago) in enumerate(rows, start=1):
        ws.write_string(r, 0, conta)
        ws.write_string(r, 1, descr)
        ws.write_datetime(r, 2, date, date_fmt)
        ws.write_number(r, 3, time, time_fmt)
        ws.write_number(r, 4, valor, money_fmt)
        ws.write_boolean(r, 5, pago)
    # The writer stores the result given here; without one it would store 0.
    ws.write_formula(3, 6, "=SUM(E2:E3)", money_fmt, 1480.25)
    ws.write_formula(4, 6, '=UPPER("fim")', None, "FIM")
    hidden = wb.add_worksheet("Auxiliar")
    hidden.write_string(0, 0, "auxiliar")
    hidden.hide()
    wb.close()


def long_text(length, seed):
    """A text of exactly `length` characters, all in Windows-1252 (so the Excel 5 to 95 copy
    keeps them); '€' and '—' make the .xls string table store it two bytes a character."""
    words = ["Câmbio", "à vista", "d'Ouro", "€", "—", "ação", "Lda", "  ", "fornecedor", str(seed)]
    text = ""
    i = seed
    while len(text) < length:
        text += words[i % len(words)] + " "
        i = i * 7 + 3
    return text[:length]


def make_long_texts(out):
    """Texts longer than a record of either .xls format (over 255, 2,080 and 8,224 bytes), for
    the converters to split across CONTINUE records, plain and rich, among many short ones."""
    path = os.path.join(case_dir(out, "xlsxwriter-long-texts"), "textos-longos.xlsx")
    wb = xlsxwriter.Workbook(path)
    ws = wb.add_worksheet("Longos")
    ws.write_row(0, 0, ["Comprimento", "Texto"])
    for row, length in enumerate([255, 256, 1100, 2100, 4200, 9000, 20], start=1):
        ws.write_number(row, 0, length)
        ws.write_string(row, 1, long_text(length, row))
    # Plain ASCII ones, which the string table stores a byte a character.
    ws.write_string(8, 1, "x" * 8300)
    ws.write_string(9, 1, ("abc " * 1500)[:5999])
    # Rich texts, which gnumeric writes as RSTRING records rather than in the string table: one
    # a byte a character, split between two characters, and one two bytes a character, split
    # inside one.
    bold = wb.add_format({"bold": True})
    italic = wb.add_format({"italic": True})
    ws.write_rich_string(10, 1, bold, "a" * 5000, italic, "b" * 4000)
    ws.write_rich_string(11, 1, bold, long_text(4000, 11), italic, long_text(3000, 12))
    for row in range(12, 150):
        ws.write_string(row, 0, f"curto {row} ação")
        ws.write_string(row, 1, long_text(row % 97 + 1, row))
    wb.close()


def make_escapes(out):
    """Characters XML can not carry, stored as _xHHHH_ escapes: a carriage return, and a text
    that is itself an escape (written _x005F_x000D_), beside things that only look like one."""
    path = os.path.join(case_dir(out, "xlsxwriter-escapes"), "escapes.xlsx")
    wb = xlsxwriter.Workbook(path)
    ws = wb.add_worksheet("Escapes")
    ws.write_row(0, 0, ["Retorno", "Literal", "Misto"])
    ws.write_row(1, 0, ["linha 1\r\nlinha 2", "_x000D_", "a_x005F_b _xZZZZ_ _x41_"])
    ws.write_formula(2, 0, '="a"&CHAR(13)&"b"', None, "a\rb")
    wb.close()


def main():
    out = sys.argv[1]
    make_types(out)
    make_iso_dates(out)
    make_1904(out)
    make_movements(out)
    make_amount_texts(out)
    make_xlsxwriter(out)
    make_long_texts(out)
    make_escapes(out)


if __name__ == "__main__":
    main()
