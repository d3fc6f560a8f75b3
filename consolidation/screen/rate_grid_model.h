#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "consolidation/rate_grid.h"

namespace agrimor {

// The rates of one currency as a company tab's grid shows them, newest first, followed by one
// free row to type a new rate into (the model keeps that row: as soon as the last row gets a
// date or a rate, another free row is appended).
//
// Display: Data "dd-mm-yyyy"; Câmbio with thousands grouping and four decimals in the Portuguese
// way ("1.234,5000", "0,8500"); Alterado 1 or 0. The model only holds values: what a typed text
// means and whether it is accepted is decided by RateGridView.
class RateGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Moeda, Data, Cambio, Id, Alterado, ColumnCount };

    explicit RateGridModel(QObject* parent = nullptr);

    // Replaces the rows (plus the free row).
    void setRates(std::vector<RateRow> rates);
    // Every row, the free one included (it has no date, so storing skips it).
    const std::vector<RateRow>& rates() const { return rows_; }
    const RateRow& rate(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

    void setDate(int row, QDate date);
    void setRate(int row, std::optional<Money> rate);
    void markChanged(int row);
    void removeRate(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void ensureFreeRow();
    QModelIndex cell(int row, Column column) const { return index(row, column); }

    std::vector<RateRow> rows_;
};

}  // namespace agrimor
