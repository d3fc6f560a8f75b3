#include "class9/working_set.h"

#include <iterator>

namespace agrimor {

namespace {

std::vector<ColumnDef> workingSetColumns() {
    using W = Class9WorkingSet;
    const auto text = [](const char* name, int width) {
        return ColumnDef{QString::fromUtf8(name), ColumnType::Text, width};
    };
    // Descritivo and Referência take the widths of MovCTB's Descr and Ref: a reloaded line's
    // reference is its source key, longer than the 32 characters once given to it.
    return {
        text("ContaG", W::kAccountWidth),
        text("Classe9", W::kAccountWidth),
        text("Doc.", W::kDocWidth),
        text("Data", 80),
        {QStringLiteral("Valor"), ColumnType::Currency, 0},
        text("Sinal", 10),
        text("Descritivo", 100),
        text("Referência", 50),
        text("Setor", 10),
        text("RubricaOrc", 10),
        text("CCustorc", 10),
        text("Custeio", 10),
        text("TpDoc", W::kTpDocWidth),
        text("Serie", W::kSerieWidth),
        {QStringLiteral("NumDoc"), ColumnType::Int32, 0},
        {QStringLiteral("NumLinha"), ColumnType::Int16, 0},
    };
}

// Nulls first, text without regard to case: the order MemoryTable::sort gives.
int compareText(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    return a.toText().compare(b.toText(), Qt::CaseInsensitive);
}

int compareWhole(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    const auto x = a.toInt(), y = b.toInt();
    return x < y ? -1 : x > y;
}

}  // namespace

Class9WorkingSet::Class9WorkingSet(QObject* parent) : MemoryTable(workingSetColumns(), parent) {}

Qt::ItemFlags Class9WorkingSet::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = MemoryTable::flags(index);
    if (index.column() != Classe9)
        flags &= ~Qt::ItemIsEditable;
    return flags;
}

void Class9WorkingSet::sortForWriting() {
    static constexpr int kKeys[] = {Data, TpDoc, Serie, NumDoc, NumLinha};
    const auto ordered = [this](int a, int b) {
        for (const int column : kKeys) {
            const int c = column == NumDoc || column == NumLinha
                              ? compareWhole(value(a, column), value(b, column))
                              : compareText(value(a, column), value(b, column));
            if (c != 0)
                return c < 0;
        }
        return false;
    };
    // Loaded rows mostly come in this order already; then there is nothing to move.
    bool sorted = true;
    for (int row = 1; row < size() && sorted; ++row)
        sorted = !ordered(row, row - 1);
    if (sorted)
        return;
    // Stable sorts from the last key to the first give the order of all keys together.
    for (auto key = std::rbegin(kKeys); key != std::rend(kKeys); ++key)
        sort(*key, Qt::AscendingOrder);
}

QString sourceKey(const QString& tpDoc, std::int64_t ano, const QString& serie, std::int64_t numDoc,
                  std::int64_t numLinha) {
    const QChar slash = QLatin1Char('/');
    return tpDoc + slash + QString::number(ano) + slash + serie + slash + QString::number(numDoc) +
           slash + QString::number(numLinha);
}

QString documentKey(const QString& doc) {
    const qsizetype last = doc.lastIndexOf(QLatin1Char('/'));
    return last < 0 ? doc : doc.left(last);
}

}  // namespace agrimor
