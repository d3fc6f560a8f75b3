#pragma once

#include <QString>
#include <cstdint>

#include "core/memory_table.h"
#include "ledger/erp_tables.h"

namespace agrimor {

// The class-9 working set: one row per candidate (or reloaded) class-9 line, in the order it was
// read. The class-9 grid shows it and the confirmation writes from it; only the class-9 account
// can be changed through the model.
//
// `Doc.` holds the source line's key, type/year/series/number/line. Its width is the widest key
// the MovCTB columns can produce, so a key is never cut: a cut key would be written into REF and
// would no longer name its source line.
class Class9WorkingSet : public MemoryTable {
    Q_OBJECT
public:
    enum Column {
        ContaG,
        Classe9,
        Doc,
        Data,
        Valor,
        Sinal,
        Descritivo,
        Referencia,
        Setor,
        RubricaOrc,
        CCustorc,
        Custeio,
        TpDoc,
        Serie,
        NumDoc,
        NumLinha,
        ColumnCount
    };

    // Widths of the MovCTB columns the key is built from, and of the whole numbers as text
    // (sign included).
    static constexpr int kTpDocWidth = erp::columnWidth("MovCTB", "TpDoc");
    static constexpr int kSerieWidth = erp::columnWidth("MovCTB", "Serie");
    static constexpr int kAccountWidth = erp::columnWidth("MovCTB", "Conta");
    static constexpr int kSmallintDigits = 6;  // "-32768"
    static constexpr int kIntDigits = 11;      // "-2147483648"
    static constexpr int kDocWidth =
        kTpDocWidth + kSmallintDigits + kSerieWidth + kIntDigits + kSmallintDigits + 4;

    explicit Class9WorkingSet(QObject* parent = nullptr);

    // The class-9 column is editable while the set allows editing (setEditable); no other is.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Sorts by Data, TpDoc, Serie, NumDoc and NumLinha, ascending: the order the lines of each
    // source document are numbered in.
    void sortForWriting();
};

// "type/year/series/number/line", the key of a movement line.
QString sourceKey(const QString& tpDoc, std::int64_t ano, const QString& serie, std::int64_t numDoc,
                  std::int64_t numLinha);
// The document part of a key: everything before its last "/" (the line number cut off).
QString documentKey(const QString& doc);

}  // namespace agrimor
