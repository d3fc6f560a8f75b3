#include "ledger/numerators.h"

#include <QMap>
#include <algorithm>

#include "data/data_access.h"

namespace agrimor {

namespace {

// The documents whose numerator key is spelt one way, in the order given.
struct Counter {
    Params key;  // bound after the count, in the statements' order
    std::vector<std::size_t> documents;
};

// One numerator row as the database holds it. The database compares codes by its own collation,
// so keys spelt differently ("fc", "FC") may reach the same row; its documents are numbered
// together, in document order.
struct NumeratorRow {
    std::int64_t last = 0;  // the row's number after every update of this import
    bool wasNull = false;   // the row held null before this import
    std::vector<std::size_t> documents;
};

// The statements of one numerator table; `key` is the WHERE clause of its row.
struct NumeratorTable {
    QString table;
    QString column;
    QString key;
    QString keyColumns;  // the key's columns, as the row spells them
};

// Takes the row (an UPDATE that changes nothing), reads its number and advances it by the number
// of its documents. The row is keyed by its own key columns, as the database holds them.
void advance(DataAccess& company, const NumeratorTable& t, const QString& missing,
             const Counter& counter, QMap<QString, NumeratorRow>& rows) {
    const int count = static_cast<int>(counter.documents.size());
    if (company.execute(
            QStringLiteral("Update %1 set %2=%2 where %3").arg(t.table, t.column, t.key),
            counter.key) == 0)
        throw MissingNumeratorError(missing);
    const Recordset row = company.openReadOnly(
        QStringLiteral("Select %1,%2 from %3 where %4").arg(t.keyColumns, t.column, t.table, t.key),
        counter.key);
    if (row.isEmpty())
        throw MissingNumeratorError(missing);
    company.execute(
        QStringLiteral("Update %1 set %2=coalesce(%2,0)+? where %3").arg(t.table, t.column, t.key),
        Params{count} + counter.key);
    QString stored;
    const int columns = row.columnCount();
    for (int c = 0; c + 1 < columns; ++c)
        stored += row.field(c).toText() + QChar(0x1f);
    const bool first = !rows.contains(stored);
    NumeratorRow& reached = rows[stored];
    // Each later read sees every earlier update of the same row.
    const Value before = row.field(columns - 1);
    if (first)
        reached.wasNull = before.isNull();
    reached.last = before.toInt() + count;
    reached.documents.insert(reached.documents.end(), counter.documents.begin(),
                             counter.documents.end());
}

// Hands out the numbers each row passed, in document order.
void number(QMap<QString, NumeratorRow>& rows, std::vector<int>& numbers,
            std::vector<bool>& wasNull) {
    for (NumeratorRow& row : rows) {
        std::sort(row.documents.begin(), row.documents.end());
        const auto count = static_cast<std::int64_t>(row.documents.size());
        for (std::int64_t i = 0; i < count; ++i) {
            const std::size_t document = row.documents[static_cast<std::size_t>(i)];
            numbers[document] = static_cast<int>(row.last - count + 1 + i);
            wasNull[document] = row.wasNull;
        }
    }
}

}  // namespace

NumbersInUse highestNumbersInUse(DataAccess& company, int year, const QString& tpDoc,
                                 const QString& serie, const QString& diario) {
    NumbersInUse numbers;
    numbers.numDoc = highestDocumentNumber(company, year, tpDoc, serie);
    const Recordset journals = company.openReadOnly(
        QStringLiteral("Select coalesce(Max(NumDiari),0) as NumDiario from MovCTB where Ano=? "
                       "and Diario=?"),
        {year, diario});
    if (!journals.isEmpty())
        numbers.numDiario = journals.field(QStringLiteral("NumDiario")).toInt();
    return numbers;
}

std::int64_t highestDocumentNumber(DataAccess& company, int year, const QString& tpDoc,
                                   const QString& serie) {
    const Recordset documents = company.openReadOnly(
        QStringLiteral("Select coalesce(Max(NumDoc),0) as NumDoc from MovCTB where Ano=? and "
                       "TpDoc=? and Serie=?"),
        {year, tpDoc, serie});
    return documents.isEmpty() ? 0 : documents.field(QStringLiteral("NumDoc")).toInt();
}

std::vector<ReservedNumbers> reserveNumbers(DataAccess& company,
                                            const std::vector<DocumentNumbering>& documents) {
    // Ordered maps: the rows are taken in one order by every import.
    QMap<QString, Counter> types;
    QMap<QString, Counter> journals;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const DocumentNumbering& d = documents[i];
        const QString year = QString::number(d.year);
        Counter& type = types[year + QChar(0x1f) + d.series + QChar(0x1f) + d.type];
        type.key = {d.year, d.series, d.type};
        type.documents.push_back(i);
        Counter& journal = journals[year + QChar(0x1f) + d.journal];
        journal.key = {d.year, d.journal};
        journal.documents.push_back(i);
    }

    QMap<QString, NumeratorRow> typeRows;
    const NumeratorTable numDoc{QStringLiteral("NumDoc"), QStringLiteral("Num"),
                                QStringLiteral("Ano=? and Serie=? and Doc=?"),
                                QStringLiteral("Ano,Serie,Doc")};
    for (const Counter& counter : types) {
        advance(company, numDoc,
                QString::fromUtf8("Não existe numerador do tipo documento %1, série %2, no ano %3")
                    .arg(counter.key[2].toText(), counter.key[1].toText())
                    .arg(counter.key[0].toInt()),
                counter, typeRows);
    }
    QMap<QString, NumeratorRow> journalRows;
    const NumeratorTable numDiar{QStringLiteral("NumDiar"), QStringLiteral("Numerado"),
                                 QStringLiteral("Ano=? and Diario=? and Mes=0"),
                                 QStringLiteral("Ano,Diario")};
    for (const Counter& counter : journals) {
        advance(company, numDiar,
                QString::fromUtf8("Não existe numerador do diário %1 no ano %2")
                    .arg(counter.key[1].toText())
                    .arg(counter.key[0].toInt()),
                counter, journalRows);
    }
    std::vector<int> documentNumbers(documents.size());
    std::vector<int> journalNumbers(documents.size());
    std::vector<bool> documentWasNull(documents.size());
    std::vector<bool> journalWasNull(documents.size());
    number(typeRows, documentNumbers, documentWasNull);
    number(journalRows, journalNumbers, journalWasNull);

    std::vector<ReservedNumbers> reserved(documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i)
        reserved[i] = {documentNumbers[i], journalNumbers[i], documentWasNull[i],
                       journalWasNull[i]};
    return reserved;
}

}  // namespace agrimor
