#pragma once

#include <QString>

#include "core/memory_table.h"

namespace agrimor {

struct RunRecord;

class Workbook;
class DataAccess;

// The rates read from a workbook, for review before they are stored: Moeda (text), Data (date),
// Cambio (currency, four decimals). Captions "Moeda", "Data", "Câmbio".
class RatesTable : public MemoryTable {
    Q_OBJECT
public:
    enum Column { Moeda, Data, Cambio, MaxColumns };

    explicit RatesTable(QObject* parent = nullptr);
};

// Reads the workbook's first sheet into `rates`, replacing what it held. Columns by position:
// currency, date, rate; the header row is not looked at and a row whose first cell is empty is
// skipped. The date may be a date cell (a date-time gives its day), a "dd-mm-yyyy" or
// "yyyy-mm-dd" text or a date serial number in the workbook's date system; the rate a number or a
// text holding one, rounded to four decimals half to even.
//
// A sheet with no rates, fewer than three columns, a date that is not one (or before 1900), a
// rate that is not a number, is missing, or is not one the company tab's grid takes (a boolean,
// or zero or less once rounded: isUsableRate), an error cell (#N/A...) in a row that is read:
// WorkbookError naming the sheet row and the column, and `rates` left empty.
void readRatesWorkbook(const Workbook& workbook, RatesTable& rates);

// Stores the rows with a currency in zeb_CNS_Cambios in one transaction on `db`: the rate of a
// currency and date already there is replaced, others are added; the currency is cut to the
// column's three characters. On any failure nothing is stored and the DbError is thrown; when a
// row failed, its message ends in " em Gravar_Cambios " to say so. With `run`, the run's log row
// (the rows stored, "efetuado") is written in the same transaction.
void storeRates(DataAccess& db, const RatesTable& rates, RunRecord* run = nullptr);

}  // namespace agrimor
