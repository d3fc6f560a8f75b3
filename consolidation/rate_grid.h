#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

#include "data/money.h"

namespace agrimor {

class DataAccess;

// One row of a company tab's rate grid.
struct RateRow {
    QString currency;           // Moeda
    QDate date;                 // Data; invalid while the cell is empty
    std::optional<Money> rate;  // Cambio; empty while the cell is empty
    std::optional<int> id;      // Id of the stored rate; empty for a row typed on the screen
    bool changed = false;       // Alterado: changed on the screen, to be stored
};

// The rates of `currency`, newest first, none marked changed.
std::vector<RateRow> loadRateGrid(DataAccess& db, const QString& currency);

// Stores the grid of a company tab whose currency is `currency`: every row with a date and
// marked changed is written (its stored row changed, or a new row added), then every id of
// `removedIds` is deleted. Nothing is done for "EUR" or no currency. All of it is one
// transaction: on a failure (DbError) nothing is stored and the lists are left as they were.
//
// The result is the grid reloaded from the table, and `removedIds` is emptied, so a second
// confirmation finds nothing changed: a new rate is never stored twice and a removal never runs
// again.
std::vector<RateRow> storeRateGrid(DataAccess& db, const QString& currency,
                                   const std::vector<RateRow>& rows, QList<int>& removedIds);

}  // namespace agrimor
