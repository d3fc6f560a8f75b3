#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <span>
#include <vector>

#include "data/money.h"

namespace agrimor {

class ImportLinesTable;

// One document of an import: its key and the lines whose Doc holds it, in sheet order.
struct ImportDocument {
    QString key;
    std::span<const int> lines;  // rows of the lines table
};

// The documents of an import, found in one pass over the lines: one per distinct key, in the order
// the keys first appear. These are the rows the sheet reader puts in the documents table; a key
// that comes back after other keys belongs to its first document, so no line is checked or
// written twice, and a Doc edited in the grid moves its line to that document.
//
// Kept compact for a million lines: the rows of every document one after the other in one vector
// and where each document starts; a document's key is read from its first line when asked for.
struct DocumentGroups {
    std::vector<int> rows;        // the rows with a key, document after document
    std::vector<int> starts;      // where each document begins in `rows`, and rows.size() last
    std::vector<int> withoutKey;  // lines whose Doc is empty (only a grid edit makes one)

    int count() const { return starts.empty() ? 0 : static_cast<int>(starts.size()) - 1; }
    std::span<const int> lines(int document) const;
    ImportDocument document(const ImportLinesTable& table, int document) const;
};
DocumentGroups groupByDocument(const ImportLinesTable& lines);

// Reports progress through a long pass: `done` of `total` lines. Called every few hundred lines and
// once at the end; may be empty.
using ImportProgress = std::function<void(int done, int total)>;

// `sum` + `amount`, for the debit or credit sum of document `key` (of all documents when `key` is
// empty); an ImportError naming the document when the sum is past what an amount holds, so a sum
// never wraps round into a wrong balance.
Money addToSum(Money sum, Money amount, const QString& key);

// A document's debit and credit sums as the check-up and the totals take them: DbCr 1 adds the
// line's amount (a null-safe currency) to the debit, 2 to the credit, any other value to neither.
struct DebitCredit {
    Money debit;
    Money credit;

    // Adds line `row` of document `key`; the ImportError of addToSum when a sum is past what an
    // amount holds.
    void add(const ImportLinesTable& lines, int row, const QString& key);
};

// The year of a DataDoc: the whole number of its last four characters, 0 when they are none.
int documentYear(const QString& dataDoc);

// What the user sees before confirming: per document its key, number of lines and its debit and
// credit totals as the check-up sums them (DbCr 1 debit, 2 credit, the amount as a null-safe
// currency), then the grand totals.
struct DocumentTotals {
    QString key;
    int lines = 0;
    Money debit;
    Money credit;
};
struct ImportTotals {
    std::vector<DocumentTotals> documents;
    int lines = 0;
    Money debit;
    Money credit;
};
ImportTotals importTotals(const ImportLinesTable& lines);

// The totals as the dialog and the batch show them, one text per column: the headings
// "Documento", "Linhas", "Débito", "Crédito"; row `row` is document `row`'s key, lines, debit and
// credit, and the row after the last document is the grand totals under "Total". An amount has two
// decimals at least, more when the sheet had them, and no thousands separators ("1234.50",
// "-0.0001").
QStringList totalsHeadings();
QStringList totalsRow(const ImportTotals& totals, int row);
// The totals as a table of plain text, one line per document and a last line "Total", columns
// aligned, lines ending in "\n": what the batch command prints.
QString totalsText(const ImportTotals& totals);

}  // namespace agrimor
