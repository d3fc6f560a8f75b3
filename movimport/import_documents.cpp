#include "movimport/import_documents.h"

#include <QHash>
#include <utility>

#include "core/null_safe.h"
#include "movimport/import_error.h"
#include "movimport/import_tables.h"

namespace agrimor {

namespace {

using Lines = ImportLinesTable;

constexpr int kDebit = 1;
constexpr int kCredit = 2;

QString totalsAmount(Money amount) {
    return amount.toString(2);
}

}  // namespace

DocumentGroups groupByDocument(const ImportLinesTable& lines) {
    DocumentGroups groups;
    // Each line's document first, then the rows placed by document (a counting sort, which keeps
    // the sheet order within a document).
    std::vector<int> documentOf(static_cast<std::size_t>(lines.size()), -1);
    std::vector<int> counts;
    {
        QHash<QString, int> positions;
        for (int row = 0; row < lines.size(); ++row) {
            const QString key = lines.value(row, Lines::Doc).toText();
            if (key.isEmpty()) {
                groups.withoutKey.push_back(row);
                continue;
            }
            auto found = positions.constFind(key);
            if (found == positions.cend()) {
                found = positions.insert(key, static_cast<int>(counts.size()));
                counts.push_back(0);
            }
            documentOf[static_cast<std::size_t>(row)] = *found;
            ++counts[static_cast<std::size_t>(*found)];
        }
    }
    groups.starts.reserve(counts.size() + 1);
    int start = 0;
    for (int& count : counts) {
        groups.starts.push_back(start);
        start += std::exchange(count, start);  // count becomes the next free place
    }
    groups.starts.push_back(start);
    groups.rows.resize(static_cast<std::size_t>(start));
    for (int row = 0; row < lines.size(); ++row) {
        const int document = documentOf[static_cast<std::size_t>(row)];
        if (document >= 0)
            groups.rows[static_cast<std::size_t>(counts[static_cast<std::size_t>(document)]++)] =
                row;
    }
    return groups;
}

std::span<const int> DocumentGroups::lines(int document) const {
    const auto d = static_cast<std::size_t>(document);
    return std::span<const int>(rows).subspan(static_cast<std::size_t>(starts[d]),
                                              static_cast<std::size_t>(starts[d + 1] - starts[d]));
}

ImportDocument DocumentGroups::document(const ImportLinesTable& table, int document) const {
    const std::span<const int> rows = lines(document);
    return {table.value(rows.front(), Lines::Doc).toText(), rows};
}

Money addToSum(Money sum, Money amount, const QString& key) {
    if (const auto total = checkedSum(sum, amount))
        return *total;
    throw ImportError(
        key.isEmpty()
            ? QString::fromUtf8(
                  "Os valores de todos os documentos somam mais do que o maior montante possível.")
            : QString::fromUtf8(
                  "Os valores do documento %1 somam mais do que o maior montante possível.")
                  .arg(key));
}

void DebitCredit::add(const ImportLinesTable& lines, int row, const QString& key) {
    const short side = nullSafeWhole(lines.value(row, Lines::DbCr));
    if (side == kDebit)
        debit = addToSum(debit, nullSafeMoney(lines.value(row, Lines::Valor)), key);
    else if (side == kCredit)
        credit = addToSum(credit, nullSafeMoney(lines.value(row, Lines::Valor)), key);
}

int documentYear(const QString& dataDoc) {
    bool ok = false;
    const int year = dataDoc.right(4).toInt(&ok);
    return ok ? year : 0;
}

ImportTotals importTotals(const ImportLinesTable& lines) {
    ImportTotals totals;
    const DocumentGroups groups = groupByDocument(lines);
    for (int d = 0; d < groups.count(); ++d) {
        const ImportDocument document = groups.document(lines, d);
        DebitCredit sums;
        for (const int row : document.lines)
            sums.add(lines, row, document.key);
        const int count = static_cast<int>(document.lines.size());
        totals.lines += count;
        totals.debit = addToSum(totals.debit, sums.debit, QString());
        totals.credit = addToSum(totals.credit, sums.credit, QString());
        totals.documents.push_back({document.key, count, sums.debit, sums.credit});
    }
    return totals;
}

QStringList totalsHeadings() {
    return {QStringLiteral("Documento"), QStringLiteral("Linhas"), QString::fromUtf8("Débito"),
            QString::fromUtf8("Crédito")};
}

QStringList totalsRow(const ImportTotals& totals, int row) {
    if (row < static_cast<int>(totals.documents.size())) {
        const DocumentTotals& d = totals.documents[static_cast<std::size_t>(row)];
        return {d.key, QString::number(d.lines), totalsAmount(d.debit), totalsAmount(d.credit)};
    }
    return {QStringLiteral("Total"), QString::number(totals.lines), totalsAmount(totals.debit),
            totalsAmount(totals.credit)};
}

QString totalsText(const ImportTotals& totals) {
    std::vector<QStringList> rows{totalsHeadings()};
    const int count = static_cast<int>(totals.documents.size()) + 1;
    for (int row = 0; row < count; ++row)
        rows.push_back(totalsRow(totals, row));
    qsizetype widths[4] = {0, 0, 0, 0};
    for (const QStringList& row : rows)
        for (int c = 0; c < 4; ++c)
            widths[c] = std::max(widths[c], row[c].size());
    QString text;
    for (const QStringList& row : rows) {
        text += row[0].leftJustified(widths[0]);
        for (int c = 1; c < 4; ++c)
            text += QStringLiteral("  ") + row[c].rightJustified(widths[c]);
        text += QLatin1Char('\n');
    }
    return text;
}

}  // namespace agrimor
