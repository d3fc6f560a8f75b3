#include "consolidation/screen/rate_grid_model.h"

#include "data/day_month_year.h"
#include "data/money_text.h"

namespace agrimor {

namespace {

bool isBlank(const RateRow& row) {
    return !row.date.isValid() && !row.rate && !row.id;
}

}  // namespace

RateGridModel::RateGridModel(QObject* parent) : QAbstractTableModel(parent) {
    ensureFreeRow();
}

void RateGridModel::setRates(std::vector<RateRow> rates) {
    beginResetModel();
    rows_ = std::move(rates);
    endResetModel();
    ensureFreeRow();
}

void RateGridModel::setDate(int row, QDate date) {
    rows_.at(static_cast<std::size_t>(row)).date = date;
    emit dataChanged(cell(row, Data), cell(row, Data));
    ensureFreeRow();
}

void RateGridModel::setRate(int row, std::optional<Money> rate) {
    rows_.at(static_cast<std::size_t>(row)).rate = rate;
    emit dataChanged(cell(row, Cambio), cell(row, Cambio));
    ensureFreeRow();
}

void RateGridModel::markChanged(int row) {
    rows_.at(static_cast<std::size_t>(row)).changed = true;
    emit dataChanged(cell(row, Alterado), cell(row, Alterado));
}

void RateGridModel::removeRate(int row) {
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
    ensureFreeRow();
}

void RateGridModel::ensureFreeRow() {
    if (!rows_.empty() && isBlank(rows_.back()))
        return;
    const int row = static_cast<int>(rows_.size());
    beginInsertRows({}, row, row);
    rows_.push_back(RateRow{});
    endInsertRows();
}

int RateGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RateGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RateGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole))
        return {};
    const RateRow& row = rate(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() == Cambio ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    switch (static_cast<Column>(index.column())) {
        case Moeda:
            return row.currency;
        case Data:
            return dayMonthYear(row.date);
        case Cambio:
            return row.rate ? formatMoney(*row.rate, 4, MoneyTextFormat::portuguese()) : QString();
        case Id:
            return row.id ? QVariant(*row.id) : QVariant(QString());
        case Alterado:
            return row.changed ? 1 : 0;
        case ColumnCount:
            break;
    }
    return {};
}

QVariant RateGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (static_cast<Column>(section)) {
        case Moeda:
            return QStringLiteral("Moeda");
        case Data:
            return QStringLiteral("Data");
        case Cambio:
            return QStringLiteral("Câmbio");
        case Id:
            return QStringLiteral("Id");
        case Alterado:
            return QStringLiteral("Alterado");
        case ColumnCount:
            break;
    }
    return {};
}

Qt::ItemFlags RateGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == Data || index.column() == Cambio)
        flags |= Qt::ItemIsEditable;
    return flags;
}

}  // namespace agrimor
