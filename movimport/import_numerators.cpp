#include "movimport/import_numerators.h"

#include <QMap>

#include "data/data_access.h"
#include "movimport/import_error.h"

namespace agrimor {

namespace {

// The documents that share one numerator, in the order given.
struct Counter {
    Params key;  // bound after the count, in the statements' order
    std::vector<std::size_t> documents;
};

// Advances the numerator by the number of its documents and hands out the numbers it passed.
void reserve(DataAccess& company, const QString& update, const QString& select,
             const QString& missing, const Counter& counter, std::vector<int>& numbers) {
    const int count = static_cast<int>(counter.documents.size());
    if (company.execute(update, Params{count} + counter.key) == 0)
        throw ImportError(missing);
    const Recordset row = company.openReadOnly(select, counter.key);
    if (row.isEmpty())
        throw ImportError(missing);
    const std::int64_t last = row.field(0).toInt();
    for (int i = 0; i < count; ++i)
        numbers[counter.documents[static_cast<std::size_t>(i)]] =
            static_cast<int>(last - count + 1 + i);
}

}  // namespace

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

    std::vector<int> documentNumbers(documents.size());
    std::vector<int> journalNumbers(documents.size());
    for (const Counter& counter : types) {
        reserve(company,
                QStringLiteral("Update NumDoc set Num=coalesce(Num,0)+? where Ano=? and Serie=? "
                               "and Doc=?"),
                QStringLiteral("Select Num from NumDoc where Ano=? and Serie=? and Doc=?"),
                QString::fromUtf8("Não existe numerador do tipo documento %1, série %2, no ano %3")
                    .arg(counter.key[2].toText(), counter.key[1].toText())
                    .arg(counter.key[0].toInt()),
                counter, documentNumbers);
    }
    for (const Counter& counter : journals) {
        reserve(company,
                QStringLiteral("Update NumDiar set Numerado=coalesce(Numerado,0)+? where Ano=? and "
                               "Diario=? and Mes=0"),
                QStringLiteral("Select Numerado from NumDiar where Ano=? and Diario=? and Mes=0"),
                QString::fromUtf8("Não existe numerador do diário %1 no ano %2")
                    .arg(counter.key[1].toText())
                    .arg(counter.key[0].toInt()),
                counter, journalNumbers);
    }

    std::vector<ReservedNumbers> reserved(documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i)
        reserved[i] = {documentNumbers[i], journalNumbers[i]};
    return reserved;
}

}  // namespace agrimor
