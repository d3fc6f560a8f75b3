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
    std::vector<std::size_t> documents;
};

// Advances the numerator by the number of its documents and reads the row back, keyed by the row's
// own key columns (all columns of `select` but the last, which is the number).
void advance(DataAccess& company, const QString& update, const QString& select,
             const QString& missing, const Counter& counter, QMap<QString, NumeratorRow>& rows) {
    const int count = static_cast<int>(counter.documents.size());
    if (company.execute(update, Params{count} + counter.key) == 0)
        throw MissingNumeratorError(missing);
    const Recordset row = company.openReadOnly(select, counter.key);
    if (row.isEmpty())
        throw MissingNumeratorError(missing);
    QString stored;
    const int columns = row.columnCount();
    for (int c = 0; c + 1 < columns; ++c)
        stored += row.field(c).toText() + QChar(0x1f);
    NumeratorRow& reached = rows[stored];
    // Each later read sees every earlier update of the same row.
    reached.last = row.field(columns - 1).toInt();
    reached.documents.insert(reached.documents.end(), counter.documents.begin(),
                             counter.documents.end());
}

// Hands out the numbers each row passed, in document order.
void number(QMap<QString, NumeratorRow>& rows, std::vector<int>& numbers) {
    for (NumeratorRow& row : rows) {
        std::sort(row.documents.begin(), row.documents.end());
        const auto count = static_cast<std::int64_t>(row.documents.size());
        for (std::int64_t i = 0; i < count; ++i)
            numbers[row.documents[static_cast<std::size_t>(i)]] =
                static_cast<int>(row.last - count + 1 + i);
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
    for (const Counter& counter : types) {
        advance(company,
                QStringLiteral("Update NumDoc set Num=coalesce(Num,0)+? where Ano=? and Serie=? "
                               "and Doc=?"),
                QStringLiteral(
                    "Select Ano,Serie,Doc,Num from NumDoc where Ano=? and Serie=? and Doc=?"),
                QString::fromUtf8("Não existe numerador do tipo documento %1, série %2, no ano %3")
                    .arg(counter.key[2].toText(), counter.key[1].toText())
                    .arg(counter.key[0].toInt()),
                counter, typeRows);
    }
    QMap<QString, NumeratorRow> journalRows;
    for (const Counter& counter : journals) {
        advance(company,
                QStringLiteral("Update NumDiar set Numerado=coalesce(Numerado,0)+? where Ano=? and "
                               "Diario=? and Mes=0"),
                QStringLiteral("Select Ano,Diario,Numerado from NumDiar where Ano=? and Diario=? "
                               "and Mes=0"),
                QString::fromUtf8("Não existe numerador do diário %1 no ano %2")
                    .arg(counter.key[1].toText())
                    .arg(counter.key[0].toInt()),
                counter, journalRows);
    }
    std::vector<int> documentNumbers(documents.size());
    std::vector<int> journalNumbers(documents.size());
    number(typeRows, documentNumbers);
    number(journalRows, journalNumbers);

    std::vector<ReservedNumbers> reserved(documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i)
        reserved[i] = {documentNumbers[i], journalNumbers[i]};
    return reserved;
}

}  // namespace agrimor
