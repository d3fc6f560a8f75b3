#include "consolidation/screen/rate_grid_model.h"

#include "data/day_month_year.h"

namespace agrimor {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(const RateRow& row) {
    return !row.date.isValid() && !row.rate && !row.id;
}

// Removes the grouping sign (none when null) and turns the decimal sign (none when null) into a
// point; nothing when the grouping is not in groups of three digits or a part is missing.
std::optional<QString> normalised(const QString& text, QChar group, QChar decimal) {
    const qsizetype point = decimal.isNull() ? -1 : text.indexOf(decimal);
    QString whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    if (point >= 0 && fraction.isEmpty())
        return std::nullopt;
    if (!group.isNull() && whole.contains(group)) {
        const QStringList parts = whole.split(group);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const qsizetype length = parts.at(i).size();
            if ((i == 0 && (length < 1 || length > 3)) || (i > 0 && length != 3))
                return std::nullopt;
        }
        whole = parts.join(QString());
    }
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    return point < 0 ? whole : whole + QLatin1Char('.') + fraction;
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
            return formatDate(row.date);
        case Cambio:
            return row.rate ? formatRate(*row.rate) : QString();
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

QString RateGridModel::formatRate(Money rate) {
    const bool negative = rate.units() < 0;
    const std::int64_t units = negative ? -rate.units() : rate.units();
    const QString whole = QString::number(units / Money::kScale);
    QString grouped;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += QLatin1Char('.');
        grouped += whole.at(i);
    }
    const QString fraction =
        QStringLiteral("%1").arg(units % Money::kScale, 4, 10, QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + grouped + QLatin1Char(',') + fraction;
}

std::optional<Money> RateGridModel::parseRate(const QString& typed) {
    QString text = typed.trimmed();
    QString sign;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        sign = text.left(1);
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text)
        if (!isAsciiDigit(c) && c != QLatin1Char('.') && c != QLatin1Char(','))
            return std::nullopt;
    const QChar comma = QLatin1Char(',');
    const QChar point = QLatin1Char('.');
    const qsizetype commas = text.count(comma);
    const qsizetype points = text.count(point);
    std::optional<QString> plain;
    if (commas > 0 && points > 0)
        plain = text.lastIndexOf(comma) > text.lastIndexOf(point) ? normalised(text, point, comma)
                                                                  : normalised(text, comma, point);
    else if (commas == 1)
        plain = normalised(text, QChar(), comma);
    else if (points == 1)
        plain = normalised(text, QChar(), point);
    else if (commas > 1)
        plain = normalised(text, comma, QChar());
    else
        plain = normalised(text, point, QChar());
    if (!plain)
        return std::nullopt;
    return Money::parse(sign + *plain);
}

QDate RateGridModel::parseDate(const QString& typed) {
    return parseDayMonthYear(typed);
}

QString RateGridModel::formatDate(QDate date) {
    return dayMonthYear(date);
}

}  // namespace agrimor
