"""The movements written by every writer of the movement-sheet cases, in the import's layout."""

HEADERS = ["TpTerc", "Conta", "Terc", "TpDoc", "DataDoc", "Valor", "DbCr", "Descr", "Setor",
           "Diario", "RubOrc", "CCustOrc", "Serie", "NCont", "CodIva", "CodFlu", "Custeio",
           "Ref", "Operador", "DataR", "LinCC", "ValorBase", "Doc"]

# Third-party kind, account, third party, document type, day of March 2026, amount,
# debit/credit, description, line, base, document key; None is a blank row.
MOVEMENTS = [
    (2, "211101", "00123", "FT", 2, 1230.00, 2, "Venda à João & Filhos", 1, 1000.00, "FT0001"),
    (2, "711101", "00123", "FT", 2, 1000.00, 1, "Venda à João & Filhos", 2, None, "FT0001"),
    (2, "243301", "00123", "FT", 2, 230.00, 1, "IVA 23%", 3, 1000.00, "FT0001"),
    (1, "221101", "04567", "VFT", 5, 84.56, 1, "Compra \"material\"", 1, 68.75, "VFT0002"),
    None,
    (1, "621101", "04567", "VFT", 5, 68.75, 2, "Compra \"material\"", 2, None, "VFT0002"),
    (1, "243201", "04567", "VFT", 5, 15.81, 2, "IVA dedutível", 3, 68.75, "VFT0002"),
    (2, "211101", "0089", "NC", 31, 12.34, 1, "Nota de crédito d'Ouro", 1, None, "NC0003"),
    (2, "711101", "0089", "NC", 31, 12.34, 2, "Nota de crédito d'Ouro", 2, None, "NC0003"),
]

# Positions holding codes kept as text (leading zeros matter), dates and amounts.
TEXT_COLUMNS = {1, 2, 3, 7, 8, 9, 12, 13, 14, 17, 18, 22}
DATE_COLUMNS = {4, 19}
AMOUNT_COLUMNS = {5, 21}


def values(movement, date):
    """The 23 cells of one movement; `date` is the writer's value for its day; None is empty."""
    tp, conta, terc, tpdoc, _day, valor, dbcr, descr, lin, base, doc = movement
    return [tp, conta, terc, tpdoc, date, valor, dbcr, descr, "001", "01", None, None, "A",
            "501234567", "NOR", None, None, f"Ref {doc}", "ana", date, lin, base, doc]
