#pragma once

#include "core/memory_table.h"

namespace agrimor {

// The import lines: one row per data row of a movement sheet, the 23 columns by position.
class ImportLinesTable : public MemoryTable {
    Q_OBJECT
public:
    enum Column {
        TpTerc,
        Conta,
        Terc,
        TpDoc,
        DataDoc,
        Valor,
        DbCr,
        Descr,
        Setor,
        Diario,
        RubOrc,
        CCustOrc,
        Serie,
        NCont,
        CodIva,
        CodFlu,
        Custeio,
        Ref,
        Operador,
        DataR,
        LinCC,
        ValorBase,
        Doc,
        MaxColumns
    };

    explicit ImportLinesTable(QObject* parent = nullptr);
};

// The import documents: one row per document key of the sheet, from the key's first line.
class ImportDocumentsTable : public MemoryTable {
    Q_OBJECT
public:
    enum Column { Doc, Ano, TpDoc, Serie, Diario, MaxColumns };

    explicit ImportDocumentsTable(QObject* parent = nullptr);
};

}  // namespace agrimor
