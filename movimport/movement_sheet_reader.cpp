#include "movimport/movement_sheet_reader.h"

#include <QSet>
#include <algorithm>
#include <array>

#include "data/money_text.h"
#include "data/text_width.h"
#include "movimport/import_tables.h"
#include "workbook/sheet_width.h"
#include "workbook/workbook.h"

namespace agrimor {

namespace {

using Lines = ImportLinesTable;
using Documents = ImportDocumentsTable;

// How many characters of the trimmed cell a whole-number column takes.
int wholePrefix(int column) {
    return column == Lines::LinCC ? 3 : 1;
}

// The table's columns count from 0, the sheet's from A.
QString columnLetter(int column) {
    return columnLetters(column + 1);
}

WorkbookError narrowSheet(const QString& sheet, int columnCount, const Lines& lines) {
    return WorkbookError(
        WorkbookError::kTypeMismatch,
        QStringLiteral("A folha '%1' tem %2 colunas e uma folha de movimentos tem 23: "
                       "falta a coluna %3 (%4) na linha 1.")
            .arg(sheet)
            .arg(columnCount)
            .arg(columnLetter(columnCount),
                 lines.columns()[static_cast<std::size_t>(columnCount)].name));
}

// Why an amount such as "1.234" is refused, with the ways of writing each thing it may mean.
QString ambiguity(const QString& text) {
    QString digits = text.trimmed();
    QString sign;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        sign = digits.left(1);
        digits = digits.mid(1);
    }
    const QString whole = sign + digits.left(digits.size() - 4);
    const QString fraction = digits.right(3);
    return QStringLiteral("(milhares ou casas decimais): escreva ") + whole + fraction +
           QStringLiteral(", ") + whole + QLatin1Char('.') + fraction + QStringLiteral(",00 ou ") +
           whole + QLatin1Char(',') + fraction + QStringLiteral("0, conforme o que quer dizer");
}

// The sheet's header row and stated range are narrower than a movement sheet: the read starts
// again once the width is known from the cells themselves.
struct LooksNarrow {};

class MovementSink : public SheetSink {
public:
    // `knownWidth`: the sheet's width counted from its cells, when the first read found it
    // narrow (0 on the first read).
    MovementSink(QString sheet, Lines& lines, Documents& documents, int knownWidth)
        : sheet_(std::move(sheet)), lines_(lines), documents_(documents), knownWidth_(knownWidth) {}

    void begin(int columnCount) override {
        if (std::max(columnCount, knownWidth_) < Lines::MaxColumns)
            throw LooksNarrow{};
    }

    void row(int sheetRow, std::span<const Cell> cells) override {
        const int at = lines_.appendRow();
        lines_.setSourceRow(at, sheetRow);
        // A row is as wide as the header and the stated range; one the cells alone made wide
        // enough may stop short of column W.
        static const Cell kEmpty;
        for (int c = 0; c < Lines::MaxColumns; ++c) {
            const auto index = static_cast<std::size_t>(c);
            store(sheetRow, at, c, index < cells.size() ? cells[index] : kEmpty);
        }

        const Value& key = lines_.value(at, Lines::Doc);
        const QString keyText = key.toText();
        if (keyText.isEmpty()) {
            throw WorkbookError(WorkbookError::kTypeMismatch,
                                QStringLiteral("Linha %1 da folha '%2': a coluna %3 (Doc) está "
                                               "vazia; cada linha tem de indicar o documento.")
                                    .arg(sheetRow)
                                    .arg(sheet_, columnLetter(Lines::Doc)));
        }
        if (seen_.contains(keyText))
            return;
        seen_.insert(keyText);
        const int doc = documents_.appendRow();
        documents_.setValue(doc, Documents::Doc, key);
        documents_.setValue(doc, Documents::TpDoc, lines_.value(at, Lines::TpDoc));
        documents_.setValue(doc, Documents::Serie, lines_.value(at, Lines::Serie));
        documents_.setValue(doc, Documents::Diario, lines_.value(at, Lines::Diario));
        const Value& date = lines_.value(at, Lines::DataDoc);
        try {
            documents_.setValue(doc, Documents::Ano,
                                date.isNull() ? Value() : Value(date.toText().right(4)));
        } catch (const ValueError&) {
            throw cellError(sheetRow, Lines::DataDoc, date.toText(),
                            QStringLiteral("o ano (os últimos 4 caracteres) não é um número"));
        }
    }

private:
    QString columnName(int column) const {
        return column < Lines::MaxColumns ? lines_.columns()[static_cast<std::size_t>(column)].name
                                          : QString();
    }

    WorkbookError cellError(int sheetRow, int column, const QString& value,
                            const QString& why) const {
        return WorkbookError(
            WorkbookError::kTypeMismatch,
            QStringLiteral("Linha %1 da folha '%2', coluna %3 (%4): o valor "
                           "'%5' não serve: %6.")
                .arg(sheetRow)
                .arg(sheet_, columnLetter(column), columnName(column), value, why));
    }

    // Worded apart from cellError: the user is told which ways of writing the amount are clear.
    WorkbookError ambiguousAmount(int sheetRow, int column, const QString& text) const {
        return WorkbookError(
            WorkbookError::kTypeMismatch,
            QStringLiteral("Linha %1 da folha '%2', coluna %3 (%4): Valor ambíguo "
                           "'%5' %6.")
                .arg(sheetRow)
                .arg(sheet_, columnLetter(column), columnName(column), text, ambiguity(text)));
    }

    void store(int sheetRow, int at, int column, const Cell& cell) {
        if (cell.isEmpty())
            return;  // the new row holds null
        if (cell.isError()) {
            throw WorkbookError(
                WorkbookError::kTypeMismatch,
                QStringLiteral("Linha %1 da folha '%2', coluna %3 (%4): a célula "
                               "tem o erro %5.")
                    .arg(sheetRow)
                    .arg(sheet_, columnLetter(column), columnName(column), cell.text));
        }
        const ColumnDef& def = lines_.columns()[static_cast<std::size_t>(column)];
        Value value;
        switch (def.type) {
            case ColumnType::Text:
                value = Value(cutToWidth(cell.toText().trimmed(), def.width));
                break;
            case ColumnType::Int16:
            case ColumnType::Int32: {
                // A boolean counts as the spreadsheet counts it: TRUE 1, FALSE 0. A number is
                // taken as a number even when its format shows it as a time.
                QString text;
                if (cell.kind == Cell::Kind::Boolean)
                    text = QString::number(cell.number);
                else if (cell.kind == Cell::Kind::Number)
                    text = cell.numberText().left(wholePrefix(column));
                else
                    text = cell.toText().trimmed().left(wholePrefix(column));
                if (!text.isEmpty())
                    value = Value(text);
                break;
            }
            case ColumnType::Currency:
                if (cell.kind == Cell::Kind::Number || cell.kind == Cell::Kind::Boolean) {
                    value = Value(cell.number);
                } else if (cell.kind == Cell::Kind::Text) {
                    if (isAmbiguousMoneyText(cell.text))
                        throw ambiguousAmount(sheetRow, column, cell.text);
                    value = Value(cell.text);
                } else {
                    throw cellError(sheetRow, column, cell.toText(),
                                    QStringLiteral("uma data não é um valor"));
                }
                break;
            case ColumnType::Date:
                break;
        }
        try {
            lines_.setValue(at, column, value);
        } catch (const ValueError&) {
            throw cellError(sheetRow, column, cell.toText(),
                            def.type == ColumnType::Currency
                                ? QStringLiteral("não é um valor")
                                : QStringLiteral("não é um número inteiro"));
        }
    }

    QString sheet_;
    Lines& lines_;
    Documents& documents_;
    QSet<QString> seen_;
    int knownWidth_ = 0;
};

}  // namespace

void readMovementSheet(const Workbook& workbook, const QString& sheet, ImportLinesTable& lines,
                       ImportDocumentsTable& documents) {
    lines.clear();
    documents.clear();
    const MemoryTable::BulkLoad loadingLines(lines);
    const MemoryTable::BulkLoad loadingDocuments(documents);
    try {
        MovementSink sink(sheet, lines, documents, 0);
        workbook.readSheet(sheet, sink);
    } catch (const LooksNarrow&) {
        const int width = sheetWidth(workbook, sheet);
        if (width < ImportLinesTable::MaxColumns)
            throw narrowSheet(sheet, width, lines);
        MovementSink sink(sheet, lines, documents, width);
        workbook.readSheet(sheet, sink);
    }
}

}  // namespace agrimor
