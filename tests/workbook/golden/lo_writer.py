#!/usr/bin/python3
"""Writes the LibreOffice fixtures through a headless office process.

Usage: lo_writer.py OUTDIR PIPE_NAME

The office must already listen on the pipe (make-fixtures.sh starts it). Every workbook is
built through the office's own API, recalculated there, and stored as .xlsx and .xls, so the
formula results in the files are the office's own.
"""

import os
import sys
import time

import uno

import movement_rows
from com.sun.star.beans import PropertyValue
from com.sun.star.lang import Locale

FILTERS = {
    "xlsx": "Calc MS Excel 2007 XML",
    "xls": "MS Excel 97",
}


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def connect(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(120):
        try:
            ctx = resolver.resolve(
                f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
            return ctx.ServiceManager.createInstanceWithContext(
                "com.sun.star.frame.Desktop", ctx)
        except Exception:  # the office is still starting
            time.sleep(0.5)
    raise SystemExit("the office did not answer on pipe " + pipe)


class Book:
    """A new spreadsheet document with helpers to fill it by A1 addresses."""

    def __init__(self, desktop, sheet_names):
        self.doc = desktop.loadComponentFromURL(
            "private:factory/scalc", "_blank", 0, (prop("Hidden", True),))
        sheets = self.doc.Sheets
        first = sheets.getByIndex(0)
        first.Name = sheet_names[0]
        for i, name in enumerate(sheet_names[1:], start=1):
            sheets.insertNewByName(name, i)
        self.locale = Locale("en", "US", "")
        self.formats = self.doc.NumberFormats

    def sheet(self, name):
        return self.doc.Sheets.getByName(name)

    def format_key(self, code):
        key = self.formats.queryKey(code, self.locale, False)
        if key == -1:
            key = self.formats.addNew(code, self.locale)
        return key

    def put(self, sheet, address, value, fmt=None):
        """A str starting with '=' is a formula; other str is text; numbers are numbers."""
        cell = self.sheet(sheet).getCellRangeByName(address)
        if isinstance(value, str) and value.startswith("="):
            cell.setFormula(value)
        elif isinstance(value, str):
            cell.setString(value)
        else:
            cell.setValue(value)
        if fmt is not None:
            cell.NumberFormat = self.format_key(fmt)

    def put_text(self, sheet, address, text):
        self.sheet(sheet).getCellRangeByName(address).setString(text)

    def row(self, sheet, row, values, formats=None):
        for i, value in enumerate(values):
            if value is None:
                continue
            fmt = formats[i] if formats else None
            self.put(sheet, col_name(i) + str(row), value, fmt)

    def hide(self, sheet):
        self.sheet(sheet).IsVisible = False

    def save(self, out, case, name, kinds):
        """Stores the workbook once per kind, each in its own case folder OUT/CASE-KIND."""
        self.doc.calculateAll()
        for kind in kinds:
            folder = os.path.join(out, f"{case}-{kind}")
            os.makedirs(folder, exist_ok=True)
            path = os.path.abspath(os.path.join(folder, f"{name}.{kind}"))
            self.doc.storeToURL(uno.systemPathToFileUrl(path),
                                (prop("FilterName", FILTERS[kind]), prop("Overwrite", True)))

    def close(self):
        self.doc.close(True)


def col_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def make_source(desktop, path):
    """The workbook that the formulas of the main case refer to from outside."""
    book = Book(desktop, ["Origem"])
    book.put("Origem", "A1", 42.5)
    book.put("Origem", "A2", "valor externo")
    book.doc.storeToURL(uno.systemPathToFileUrl(path), (prop("FilterName", FILTERS["xlsx"]),))
    book.close()


def make_formulas(desktop, out, source):
    names = ["Fórmulas", "Tabela", "Datas e horas", "Textos", "Larga", "Estreita"]
    book = Book(desktop, names)

    # Row 1 stays blank on purpose: the used range then starts on row 2.
    f = "Fórmulas"
    book.row(f, 2, ["Conta", "Valor", "Arredondado", "Moeda", "Câmbio", "Data", "Data em texto",
                    "Descrição", "Limpa", "Diferença", "Absoluto", "Erro", "Externo", "Vazio",
                    "Maior"])
    source_url = uno.systemPathToFileUrl(os.path.abspath(source))
    rows = [
        ("00123", 1234.5678, "USD", "=DATE(2026;3;15)", "  fornecedor d'Ouro  ", "=B{r}/0"),
        ("00456", -87.125, "EUR", "=DATE(2026;12;31)", 'Sá "Irmãos" & C.ª', "=NA()"),
        ("789", 0.1, "GBP", "=DATE(1999;1;1)+0.75", "ação   de   teste", "=B{r}/0"),
        ("0001", 2.675, "CHF", "=DATE(2024;2;29)", "", "=SQRT(-1)"),
    ]
    for i, (conta, valor, moeda, data, descr, erro) in enumerate(rows):
        r = 3 + i
        book.put_text(f, f"A{r}", conta)
        book.put(f, f"B{r}", valor)
        book.put(f, f"C{r}", f"=ROUND(B{r};2)")
        book.put(f, f"D{r}", moeda)
        book.put(f, f"E{r}", f"=VLOOKUP(D{r};$Tabela.$A$2:$B$5;2;0)")
        book.put(f, f"F{r}", data, "DD-MM-YYYY")
        book.put(f, f"G{r}", f'=TEXT(F{r};"dd-mm-yyyy")')
        if descr:
            book.put_text(f, f"H{r}", descr)
        book.put(f, f"I{r}", f"=UPPER(TRIM(H{r}))")
        book.put(f, f"J{r}", f"=B{r}-1500")
        book.put(f, f"K{r}", f"=ABS(J{r})")
        book.put(f, f"L{r}", erro.format(r=r))
        book.put(f, f"M{r}", f"='{source_url}'#$Origem.A{1 + i % 2}")
        book.put(f, f"N{r}", f'=IF(B{r}>0;"";"negativo")')
        book.put(f, f"O{r}", f"=B{r}>1")

    t = "Tabela"
    book.row(t, 1, ["Moeda", "Câmbio"])
    for r, (moeda, cambio) in enumerate(
            [("USD", 1.0823), ("EUR", 1), ("GBP", 0.8567), ("BRL", 5.4321)], start=2):
        book.row(t, r, [moeda, cambio])
    book.hide(t)

    d = "Datas e horas"
    book.row(d, 1, ["Formato", "Valor"])
    samples = [
        ("DD-MM-YYYY", 46096),
        ("DD-MM-YYYY HH:MM", 46096 + 14.5 / 24),
        ("DD/MM/YYYY HH:MM:SS", 45000.25 + 15 / 86400),
        ("YYYY-MM-DD", 45292),
        ("D/M/YY", 45351),
        ("MMM YYYY", 45351),
        ("NNNN", 45351),
        ("DD\"/\"MM\"/\"YYYY", 45000),
        ("HH:MM", 14.5 / 24),
        ("[HH]:MM:SS", 1.5 + 0.5 / 24),
        ("MM:SS", 5 / 1440),
        ("MM:SS.0", 5 / 1440 + 1.5 / 86400),
        ("HH:MM AM/PM", 0.75),
        ("HH\"h\"MM", 0.5),
        ("0 \"dias\"", 30),
        ("[RED]0.00", -12.5),
        ("0%", 0.25),
        ("#,##0.00 \"€\"", 1234567.891),
        ("0.00E+00", 0.000123),
        ("DD-MM-YYYY", 1),
        ("DD-MM-YYYY", 59),
        ("DD-MM-YYYY", 60),
        ("DD-MM-YYYY", 61),
        ("DD-MM-YYYY HH:MM", 0.5),
        ("DD-MM-YYYY", -5),
        ("DD-MM-YYYY", 2958465),
        ("General", 1e16),
        ("General", 123456789012.25),
    ]
    for r, (code, value) in enumerate(samples, start=2):
        book.put_text(d, f"A{r}", code)
        book.put(d, f"B{r}", value, code if code != "General" else None)
    r = 2 + len(samples)
    book.put_text(d, f"A{r}", "texto")
    book.put_text(d, f"B{r}", "15-03-2026")
    book.put_text(d, f"A{r + 1}", "lógico")
    book.put(d, f"B{r + 1}", "=TRUE()")
    book.put_text(d, f"A{r + 2}", "lógico")
    book.put(d, f"B{r + 2}", "=1>2")

    x = "Textos"
    texts = [
        "Câmbio, ação, João, Müller, Ñandú",
        "aspas 'simples' e \"duplas\"",
        "00123",
        "1.5",
        "#N/A",
        "=não é fórmula",
        "linha 1\nlinha 2",
        "  espaços à volta  ",
        "Uma descrição bastante mais comprida do que trinta e dois caracteres",
        "a\\b",
    ]
    for r, text in enumerate(texts, start=1):
        book.put_text(x, f"A{r}", text)

    w = "Larga"
    book.row(w, 1, [f"C{c:02d}" for c in range(1, 27)])
    book.row(w, 2, [c * 1.5 for c in range(1, 27)])
    book.row(w, 3, [f"t{c}" if c % 2 else c for c in range(1, 27)])

    n = "Estreita"
    book.row(n, 1, ["Moeda", "Data", "Câmbio"])
    book.row(n, 2, ["USD", 46023, 1.0345], [None, "DD-MM-YYYY", None])
    book.row(n, 3, ["GBP", 46023, 0.8612], [None, "DD-MM-YYYY", None])

    book.save(out, "lo-formulas", "formulas", ["xlsx", "xls"])
    book.close()


def make_movements(desktop, out):
    book = Book(desktop, ["Movimentos"])
    s = "Movimentos"
    for c, header in enumerate(movement_rows.HEADERS):
        book.put_text(s, f"{col_name(c)}1", header)
    for r, m in enumerate(movement_rows.MOVEMENTS, start=2):
        if m is None:
            continue
        serial = 46081 + m[4]  # 1 March 2026 is serial 46082
        for c, value in enumerate(movement_rows.values(m, serial)):
            if value is None:
                continue
            address = f"{col_name(c)}{r}"
            if c in movement_rows.TEXT_COLUMNS:
                book.put_text(s, address, value)
            elif c in movement_rows.DATE_COLUMNS:
                book.put(s, address, value, "DD-MM-YYYY")
            elif c in movement_rows.AMOUNT_COLUMNS:
                book.put(s, address, value, "#,##0.00")
            else:
                book.put(s, address, value)
    book.save(out, "lo-movements", "movimentos", ["xlsx", "xls"])
    book.close()


def make_rates(desktop, out):
    book = Book(desktop, ["Câmbios", "Notas"])
    s = "Câmbios"
    book.row(s, 1, ["Moeda", "Data", "Câmbio"])
    rates = [("USD", 46022, 1.0345), ("GBP", 46022, 0.86125), (None, 46022, 1.5),
             ("CHF", 46023, 0.93456789), ("BRL", 46023, 6.1)]
    for r, (moeda, data, cambio) in enumerate(rates, start=2):
        if moeda:
            book.put_text(s, f"A{r}", moeda)
        book.put(s, f"B{r}", data, "DD-MM-YYYY")
        book.put(s, f"C{r}", cambio, "0.0000")
    book.put_text("Notas", "A1", "Câmbios de referência do fim do mês")
    book.save(out, "lo-rates", "cambios", ["xlsx", "xls"])
    book.close()


def main():
    out, pipe = sys.argv[1], sys.argv[2]
    desktop = connect(pipe)
    # Outside every case folder: the fixtures keep only a link to it, which no reader follows.
    source = os.path.abspath(os.path.join(out, "origem.xlsx"))
    make_source(desktop, source)
    make_formulas(desktop, out, source)
    make_movements(desktop, out)
    make_rates(desktop, out)
    try:
        desktop.terminate()
    except Exception:  # the bridge goes down with the office
        pass


if __name__ == "__main__":
    main()
