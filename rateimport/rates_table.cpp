#include "rateimport/rates_table.h"

#include <algorithm>
#include <array>
#include <optional>

#include "data/currency.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "ledger/rate_table.h"
#include "ledger/run_log.h"
#include "workbook/serial_date.h"
#include "workbook/sheet_width.h"
#include "workbook/workbook.h"

namespace agrimor {

namespace {

// The sheet's header row and stated range are narrower than three columns: the read starts again
// once the width is known from the cells themselves.
struct LooksNarrow {};

class RatesSink : public SheetSink {
public:
    // `knownWidth`: the sheet's width counted from its cells, when the first read found it
    // narrow (none on the first read).
    RatesSink(QString sheet, DateSystem dates, RatesTable& rates, std::optional<int> knownWidth)
        : sheet_(std::move(sheet)), dates_(dates), rates_(rates), knownWidth_(knownWidth) {}

    void begin(int columnCount) override {
        if (!knownWidth_ && columnCount < RatesTable::MaxColumns)
            throw LooksNarrow{};
        columns_ = std::max(columnCount, knownWidth_.value_or(0));
    }

    void row(int sheetRow, std::span<const Cell> sheetCells) override {
        if (columns_ < RatesTable::MaxColumns) {
            throw WorkbookError(WorkbookError::kTypeMismatch,
                                QStringLiteral("A folha '%1' tem %2 colunas; os câmbios ocupam 3: "
                                               "moeda, data e câmbio.")
                                    .arg(sheet_)
                                    .arg(columns_));
        }
        // A row is as wide as the header and the stated range; one the cells alone made wide
        // enough may stop short of column C.
        std::array<Cell, RatesTable::MaxColumns> cells;
        std::copy_n(sheetCells.begin(), std::min(sheetCells.size(), cells.size()), cells.begin());
        if (cells[0].isEmpty())
            return;
        for (int column = 0; column < RatesTable::MaxColumns; ++column) {
            const Cell& cell = cells[static_cast<std::size_t>(column)];
            if (cell.isError())
                throw cellError(sheetRow, column,
                                QStringLiteral("a célula tem o erro %1.").arg(cell.text));
        }
        const QDate when = date(sheetRow, cells[1]);
        const Cell& rate = cells[2];
        if (rate.isEmpty())
            throw cellError(sheetRow, 2, QStringLiteral("falta o câmbio."));
        const int at = rates_.appendRow();
        rates_.setValue(at, RatesTable::Moeda, Value(cells[0].toText().trimmed()));
        rates_.setValue(at, RatesTable::Data, Value(when));
        try {
            if (rate.kind == Cell::Kind::Date)
                throw ValueError(rate.toText());
            rates_.setValue(at, RatesTable::Cambio,
                            rate.kind == Cell::Kind::Text ? Value(rate.text) : Value(rate.number));
        } catch (const ValueError&) {
            throw cellError(sheetRow, 2,
                            QStringLiteral("'%1' não é um câmbio.").arg(rate.toText()));
        }
        // The rule of the company tab's grid, on the rate as rounded: a boolean is no rate, and
        // zero or less divides nothing.
        if (rate.kind == Cell::Kind::Boolean ||
            !isUsableRate(rates_.value(at, RatesTable::Cambio).toMoney())) {
            throw cellError(sheetRow, 2,
                            QStringLiteral("'%1' - %2 Um câmbio é um número maior que zero.")
                                .arg(rate.toText(), kInvalidRate));
        }
    }

private:
    WorkbookError cellError(int sheetRow, int column, const QString& why) const {
        static const char* const names[] = {"A (Moeda)", "B (Data)", "C (Câmbio)"};
        return WorkbookError(WorkbookError::kTypeMismatch,
                             QStringLiteral("Linha %1 da folha '%2', coluna %3: %4")
                                 .arg(sheetRow)
                                 .arg(sheet_, QString::fromUtf8(names[column]), why));
    }

    // A date cell gives its day (a date-time too); a text, the day it writes as dd-mm-yyyy or,
    // unambiguous too, as yyyy-mm-dd; a number, the day of that serial in the workbook's date
    // system.
    QDate date(int sheetRow, const Cell& cell) const {
        QDate date;
        if (cell.kind == Cell::Kind::Date)
            date = cell.date;
        else if (cell.kind == Cell::Kind::Text)
            date = textDate(cell.text);
        else if (cell.kind == Cell::Kind::Number)
            date = dateFromSerial(cell.number, dates_);
        if (cell.isEmpty())
            throw cellError(sheetRow, 1, QStringLiteral("falta a data."));
        if (!date.isValid()) {
            throw cellError(sheetRow, 1,
                            QStringLiteral("'%1' não é uma data (dd-mm-aaaa).").arg(cell.toText()));
        }
        if (date.year() < 1900) {
            throw cellError(sheetRow, 1,
                            QStringLiteral("a data %1 é anterior a 1900.").arg(dayMonthYear(date)));
        }
        return date;
    }

    static QDate textDate(const QString& text) {
        const QDate date = parseDayMonthYear(text);
        return date.isValid() ? date
                              : QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    }

    QString sheet_;
    DateSystem dates_;
    RatesTable& rates_;
    std::optional<int> knownWidth_;
    int columns_ = 0;
};

}  // namespace

RatesTable::RatesTable(QObject* parent)
    : MemoryTable({{QStringLiteral("Moeda"), ColumnType::Text, 0},
                   {QStringLiteral("Data"), ColumnType::Date, 0},
                   {QStringLiteral("Cambio"), ColumnType::Currency, 0}},
                  parent) {
    setCaption(Cambio, QStringLiteral("Câmbio"));
}

void readRatesWorkbook(const Workbook& workbook, RatesTable& rates) {
    rates.clear();
    const QStringList sheets = workbook.sheetNames();
    if (sheets.isEmpty())
        throw WorkbookError(WorkbookError::kUnreadable,
                            QStringLiteral("O livro de Excel não tem folhas."));
    try {
        try {
            RatesSink sink(sheets.first(), workbook.dateSystem(), rates, std::nullopt);
            workbook.readSheet(sheets.first(), sink);
        } catch (const LooksNarrow&) {
            RatesSink sink(sheets.first(), workbook.dateSystem(), rates,
                           sheetWidth(workbook, sheets.first()));
            workbook.readSheet(sheets.first(), sink);
        }
    } catch (...) {
        rates.clear();
        throw;
    }
    if (rates.size() == 0)
        throw WorkbookError(
            WorkbookError::kTypeMismatch,
            QStringLiteral("A folha '%1' não tem câmbios para importar.").arg(sheets.first()));
}

void storeRates(DataAccess& db, const RatesTable& rates, RunRecord* run) {
    Transaction transaction(db);
    std::int64_t stored = 0;
    for (int row = 0; row < rates.size(); ++row) {
        const QString currency = rates.value(row, RatesTable::Moeda).toText();
        if (currency.isEmpty())
            continue;
        try {
            storeRateOfDay(db, currency, rates.value(row, RatesTable::Data),
                           rates.value(row, RatesTable::Cambio));
            ++stored;
        } catch (const DbError& error) {
            // The guard rolls back as this leaves; the text says where it failed.
            throw DbError(error.number(), error.message() + QStringLiteral(" em Gravar_Cambios "),
                          error.sqlState(), error.nativeCode());
        }
    }
    if (run) {
        run->lines = stored;
        run->result = run_result::kDone;
        appendRun(db, *run);
    }
    transaction.commit();
}

}  // namespace agrimor
