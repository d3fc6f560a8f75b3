#!/usr/bin/python3
"""Writes minimal packages by hand, with the XML forms that the big writers never produce.

Usage: handmade.py OUTDIR
"""

import os
import sys
import zipfile

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
CT_NS = "http://schemas.openxmlformats.org/package/2006/content-types"
XML_HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'

WORKSHEET_TYPE = REL_NS + "/worksheet"
STYLES_TYPE = REL_NS + "/styles"
STRINGS_TYPE = REL_NS + "/sharedStrings"
OFFICE_DOC_TYPE = REL_NS + "/officeDocument"

CT_SHEET = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"
CT_STYLES = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"
CT_STRINGS = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"
CT_BOOK = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"
CT_BOOK_MACRO = "application/vnd.ms-excel.sheet.macroEnabled.main+xml"


def relationships(rels):
    items = "".join(f'<Relationship Id="{rid}" Type="{kind}" Target="{target}"/>'
                    for rid, kind, target in rels)
    return f'{XML_HEAD}<Relationships xmlns="{PKG_REL_NS}">{items}</Relationships>'


def content_types(overrides):
    items = "".join(f'<Override PartName="{part}" ContentType="{kind}"/>'
                    for part, kind in overrides)
    return (f'{XML_HEAD}<Types xmlns="{CT_NS}">'
            '<Default Extension="rels" '
            'ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            f'{items}</Types>')


def write_package(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text.encode("utf-8"))


# Built-in formats only (no <numFmts>): 14 is a date, 22 a date and time, 20 a time of day,
# 46 elapsed hours, 47 minutes and seconds; xf 6 uses a custom date code.
STYLES = (f'{XML_HEAD}<styleSheet xmlns="{MAIN_NS}">'
          '<numFmts count="2"><numFmt numFmtId="164" formatCode="dd\\-mm\\-yyyy"/>'
          '<numFmt numFmtId="165" formatCode="[h]&quot;h&quot;mm"/></numFmts>'
          '<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>'
          '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
          '<borders count="1"><border/></borders>'
          '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/>'
          '</cellStyleXfs>'
          '<cellXfs count="8">'
          '<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
          '<xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '<xf numFmtId="22" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '<xf numFmtId="20" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '<xf numFmtId="46" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '<xf numFmtId="47" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '<xf numFmtId="165" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
          '</cellXfs></styleSheet>')


def make_inline(out):
    """Inline strings only, no shared-strings part, absolute targets, no dimension, and cells
    (and one row) without their position: each follows the one before it."""
    sheet1 = (
        f'{XML_HEAD}<worksheet xmlns="{MAIN_NS}" xmlns:r="{REL_NS}"><sheetData>'
        '<row r="1">'
        '<c t="inlineStr"><is><t>Conta</t></is></c>'
        '<c t="inlineStr"><is><t>Descrição</t></is></c>'
        '<c t="inlineStr"><is><t>Valor</t></is></c>'
        '<c t="inlineStr"><is><t>Data</t></is></c></row>'
        '<row r="2">'
        '<c t="inlineStr"><is><t>00211</t></is></c>'
        '<c t="inlineStr"><is><r><rPr><b/></rPr><t>Fornecedor</t></r>'
        '<r><t xml:space="preserve"> d\'Ouro &amp; "Filhos"</t></r></is></c>'
        '<c><v>1500.5</v></c>'
        '<c s="1"><v>46096</v></c></row>'
        '<row>'
        '<c t="inlineStr"><is><t xml:space="preserve">  0711  </t></is></c>'
        '<c r="C3"><v>-0.125</v></c>'
        '<c s="2"><v>46096.75</v></c>'
        '<c t="inlineStr"><is><t>depois</t></is></c></row>'
        '<row r="5">'
        '<c r="B5" t="inlineStr"><is><t>Linha 5, depois de uma em falta</t></is></c>'
        '<c r="D5" s="6"><v>45351</v></c></row>'
        '</sheetData></worksheet>')
    sheet2 = (
        f'{XML_HEAD}<worksheet xmlns="{MAIN_NS}"><dimension ref="A1:C3"/><sheetData>'
        '<row r="1"><c r="A1" t="str"><f>UPPER("abc")</f><v>ABC</v></c>'
        '<c r="B1" t="e"><f>1/0</f><v>#DIV/0!</v></c>'
        '<c r="C1" t="e"><v>#REF!</v></c></row>'
        '<row r="2"><c r="A2" t="b"><v>1</v></c><c r="B2" t="b"><f>1&gt;2</f><v>0</v></c>'
        '<c r="C2" t="n"><v>1.5E-3</v></c></row>'
        '<row r="3"><c r="A3" s="3"><v>0.5</v></c><c r="B3" s="4"><v>1.25</v></c>'
        '<c r="C3" s="5"><v>0.0123</v></c><c r="D3"/><c r="E3" t="str"><f>""</f><v></v></c>'
        '<c r="F3" s="7"><v>2.5</v></c></row>'
        '</sheetData></worksheet>')
    workbook = (
        f'{XML_HEAD}<workbook xmlns="{MAIN_NS}" xmlns:r="{REL_NS}"><sheets>'
        '<sheet name="Em linha" sheetId="1" r:id="rId1"/>'
        '<sheet name="Resultados" sheetId="2" r:id="rId2"/>'
        '</sheets></workbook>')
    parts = [
        ("[Content_Types].xml", content_types([
            ("/xl/workbook.xml", CT_BOOK), ("/xl/styles.xml", CT_STYLES),
            ("/xl/worksheets/sheet1.xml", CT_SHEET), ("/xl/worksheets/sheet2.xml", CT_SHEET)])),
        ("_rels/.rels", relationships([("rId1", OFFICE_DOC_TYPE, "/xl/workbook.xml")])),
        ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", relationships([
            ("rId1", WORKSHEET_TYPE, "/xl/worksheets/sheet1.xml"),
            ("rId2", WORKSHEET_TYPE, "/xl/worksheets/sheet2.xml"),
            ("rId3", STYLES_TYPE, "/xl/styles.xml")])),
        ("xl/styles.xml", STYLES),
        ("xl/worksheets/sheet1.xml", sheet1),
        ("xl/worksheets/sheet2.xml", sheet2),
    ]
    folder = os.path.join(out, "handmade-inline")
    os.makedirs(folder, exist_ok=True)
    write_package(os.path.join(folder, "inline.xlsx"), parts)


def make_shared(out):
    """Shared strings with rich-text runs and phonetic runs (not part of the text), a workbook
    outside xl/ found only through the package relationships, relative targets that climb
    with '..', and elements written with a namespace prefix, as some SDKs do."""
    ns = f'xmlns:x="{MAIN_NS}"'
    strings = [
        "<x:si><x:t>Moeda</x:t></x:si>",
        "<x:si><x:t>Câmbio</x:t></x:si>",
        "<x:si><x:r><x:rPr><x:b/></x:rPr><x:t>Dólar</x:t></x:r>"
        "<x:r><x:t xml:space=\"preserve\"> americano</x:t></x:r></x:si>",
        "<x:si><x:t>東京</x:t><x:rPh sb=\"0\" eb=\"2\"><x:t>トウキョウ</x:t></x:rPh>"
        "<x:phoneticPr fontId=\"0\"/></x:si>",
        "<x:si><x:t xml:space=\"preserve\">  com espaços  </x:t></x:si>",
        "<x:si><x:t></x:t></x:si>",
    ]
    sst = (f'{XML_HEAD}<x:sst {ns} count="{len(strings)}" uniqueCount="{len(strings)}">'
           + "".join(strings) + "</x:sst>")
    sheet = (
        f'{XML_HEAD}<x:worksheet {ns}><x:dimension ref="A1:C4"/><x:sheetData>'
        '<x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c><x:c r="B1" t="s"><x:v>1</x:v></x:c>'
        '</x:row>'
        '<x:row r="2"><x:c r="A2" t="s"><x:v>2</x:v></x:c><x:c r="B2"><x:v>1.0823</x:v></x:c>'
        '<x:c r="C2" t="s"><x:v>5</x:v></x:c></x:row>'
        '<x:row r="3"><x:c r="A3" t="s"><x:v>3</x:v></x:c><x:c r="B3"><x:v>161.25</x:v></x:c>'
        '</x:row>'
        '<x:row r="4"><x:c r="A4" t="s"><x:v>4</x:v></x:c>'
        '<x:c r="B4"><x:v>0.30000000000000004</x:v></x:c></x:row>'
        '</x:sheetData></x:worksheet>')
    workbook = (
        f'{XML_HEAD}<x:workbook {ns} xmlns:r="{REL_NS}"><x:sheets>'
        '<x:sheet name="Partilhadas" sheetId="7" r:id="rIdSheet"/>'
        '</x:sheets></x:workbook>')
    parts = [
        ("[Content_Types].xml", content_types([
            ("/book/main.xml", CT_BOOK), ("/book/strings.xml", CT_STRINGS),
            ("/parts/sheets/first.xml", CT_SHEET)])),
        ("_rels/.rels", relationships([("rId1", OFFICE_DOC_TYPE, "book/main.xml")])),
        ("book/main.xml", workbook),
        ("book/_rels/main.xml.rels", relationships([
            ("rIdStrings", STRINGS_TYPE, "strings.xml"),
            ("rIdSheet", WORKSHEET_TYPE, "../parts/sheets/first.xml")])),
        ("book/strings.xml", sst),
        ("parts/sheets/first.xml", sheet),
    ]
    folder = os.path.join(out, "handmade-shared")
    os.makedirs(folder, exist_ok=True)
    write_package(os.path.join(folder, "shared.xlsx"), parts)


def make_macro(out):
    """A macro-enabled package (.xlsm): only its content type differs; no macros inside."""
    sheet = (
        f'{XML_HEAD}<worksheet xmlns="{MAIN_NS}"><dimension ref="A1:B2"/><sheetData>'
        '<row r="1"><c r="A1" t="inlineStr"><is><t>Moeda</t></is></c>'
        '<c r="B1" t="inlineStr"><is><t>Câmbio</t></is></c></row>'
        '<row r="2"><c r="A2" t="inlineStr"><is><t>USD</t></is></c><c r="B2"><v>1.0823</v></c>'
        '</row></sheetData></worksheet>')
    workbook = (
        f'{XML_HEAD}<workbook xmlns="{MAIN_NS}" xmlns:r="{REL_NS}"><sheets>'
        '<sheet name="Macro" sheetId="1" r:id="rId1"/></sheets></workbook>')
    parts = [
        ("[Content_Types].xml", content_types([
            ("/xl/workbook.xml", CT_BOOK_MACRO), ("/xl/worksheets/sheet1.xml", CT_SHEET)])),
        ("_rels/.rels", relationships([("rId1", OFFICE_DOC_TYPE, "xl/workbook.xml")])),
        ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", relationships([
            ("rId1", WORKSHEET_TYPE, "worksheets/sheet1.xml")])),
        ("xl/worksheets/sheet1.xml", sheet),
    ]
    folder = os.path.join(out, "handmade-xlsm")
    os.makedirs(folder, exist_ok=True)
    write_package(os.path.join(folder, "macro.xlsm"), parts)


def main():
    out = sys.argv[1]
    make_inline(out)
    make_shared(out)
    make_macro(out)


if __name__ == "__main__":
    main()
