#include "core/memory_table.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "data/day_month_year.h"
#include "data/money_text.h"

namespace agrimor {

namespace {

QString columnTypeName(ColumnType type) {
    switch (type) {
        case ColumnType::Int16:
        case ColumnType::Int32:
            return QStringLiteral("inteiro");
        case ColumnType::Text:
            return QStringLiteral("texto");
        case ColumnType::Currency:
            return QStringLiteral("valor");
        case ColumnType::Date:
            return QStringLiteral("data");
    }
    return {};
}

// The largest amount Money holds with room to add a few of them.
constexpr double kMoneyLimit = 9e14;

std::optional<Money> moneyFromDouble(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= kMoneyLimit)
        return std::nullopt;
    // Through the shortest decimal text of the double, so that a half in the decimal a user typed
    // (1.00015) rounds to even as typed, not as its nearest binary value.
    return parseMoneyText(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

ColumnStore::Form formOf(ColumnType type) {
    switch (type) {
        case ColumnType::Int16:
            return ColumnStore::Form::Int16;
        case ColumnType::Int32:
            return ColumnStore::Form::Int32;
        case ColumnType::Currency:
            return ColumnStore::Form::Money;
        case ColumnType::Date:
            return ColumnStore::Form::Date;
        case ColumnType::Text:
            break;
    }
    return ColumnStore::Form::Text;
}

}  // namespace

MemoryTable::MemoryTable(std::vector<ColumnDef> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {
    for (const auto& column : columns_) {
        captions_.push_back(column.name);
        cells_.emplace_back(formOf(column.type));
    }
    decimals_.assign(columns_.size(), 4);
}

int MemoryTable::columnIndex(const QString& name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

MemoryTable::BulkLoad::BulkLoad(MemoryTable& table) : table_(table) {
    table_.beginResetModel();
    table_.loading_ = true;
}

MemoryTable::BulkLoad::~BulkLoad() {
    table_.loading_ = false;
    table_.endResetModel();
}

int MemoryTable::appendRow() {
    const int position = size();
    if (!loading_)
        beginInsertRows({}, position, position);
    const int row = static_cast<int>(rowsStored_++);
    for (ColumnStore& column : cells_)
        column.appendNull();
    if (!sourceRows_.empty())
        sourceRows_.push_back(0);
    if (!order_.empty())
        order_.push_back(row);
    if (!loading_)
        endInsertRows();
    return position;
}

Value MemoryTable::checked(int column, const Value& value) const {
    const ColumnDef& def = columns_.at(static_cast<std::size_t>(column));
    if (value.isNull())
        return {};
    auto refuse = [&] {
        throw ValueError(QStringLiteral("O valor '%1' não cabe na coluna %2 (%3).")
                             .arg(value.toText(), def.name, columnTypeName(def.type)));
    };
    switch (def.type) {
        case ColumnType::Int16:
        case ColumnType::Int32: {
            std::int64_t whole = 0;
            if (value.kind() == Value::Kind::Integer) {
                whole = value.toInt();
            } else if (value.kind() == Value::Kind::Real || value.kind() == Value::Kind::Money) {
                const double number = value.toDouble();
                if (number != std::trunc(number) || std::fabs(number) > 1e10)
                    refuse();
                whole = static_cast<std::int64_t>(number);
            } else if (value.kind() == Value::Kind::Text) {
                bool ok = false;
                whole = value.toText().trimmed().toLongLong(&ok);
                if (!ok)
                    refuse();
            } else {
                refuse();
            }
            const bool wide = def.type == ColumnType::Int32;
            if (whole < (wide ? std::numeric_limits<std::int32_t>::min() : -32768) ||
                whole > (wide ? std::numeric_limits<std::int32_t>::max() : 32767))
                refuse();
            return Value(whole);
        }
        case ColumnType::Text: {
            if (value.kind() == Value::Kind::DateTime)
                refuse();
            QString text = value.toText();
            if (def.width > 0 && text.size() > def.width)
                refuse();
            return Value(std::move(text));
        }
        case ColumnType::Currency: {
            std::optional<Money> money;
            switch (value.kind()) {
                case Value::Kind::Money:
                    money = value.toMoney();
                    break;
                case Value::Kind::Integer:
                    if (std::llabs(value.toInt()) < static_cast<std::int64_t>(kMoneyLimit))
                        money = Money::fromWhole(value.toInt());
                    break;
                case Value::Kind::Real:
                    money = moneyFromDouble(value.toDouble());
                    break;
                case Value::Kind::Text:
                    money = parseMoneyText(value.toText());
                    break;
                default:
                    break;
            }
            if (!money)
                refuse();
            return Value(*money);
        }
        case ColumnType::Date: {
            QDate date;
            if (value.kind() == Value::Kind::DateTime) {
                date = value.toDate();
            } else if (value.kind() == Value::Kind::Text) {
                date = parseDayMonthYear(value.toText());
                if (!date.isValid())
                    date = QDate::fromString(value.toText().trimmed(), Qt::ISODate);
            }
            if (!date.isValid())
                refuse();
            return Value(date);
        }
    }
    return {};
}

std::size_t MemoryTable::stored(int row) const {
    if (order_.empty()) {
        if (row < 0 || static_cast<std::size_t>(row) >= rowsStored_)
            throw std::out_of_range("MemoryTable: no such row");
        return static_cast<std::size_t>(row);
    }
    return static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row)));
}

void MemoryTable::setValue(int row, int column, const Value& value) {
    const std::size_t at = stored(row);
    cells_.at(static_cast<std::size_t>(column)).set(at, checked(column, value));
    if (loading_)
        return;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed);
}

Value MemoryTable::value(int row, int column) const {
    return cells_.at(static_cast<std::size_t>(column)).get(stored(row));
}

Value MemoryTable::value(int row, const QString& column) const {
    const int at = columnIndex(column);
    if (at < 0)
        throw ValueError(QStringLiteral("Coluna desconhecida: %1").arg(column));
    return value(row, at);
}

void MemoryTable::setSourceRow(int row, int number) {
    const std::size_t at = stored(row);
    if (sourceRows_.empty()) {
        if (number == sourceOffsetOf(at))
            return;
        // Numbers that follow the rows in the order they were appended (a sheet's rows, say) are
        // kept as one offset.
        const std::int64_t offset =
            static_cast<std::int64_t>(number) - static_cast<std::int64_t>(at);
        if (at == sourceNumbered_ && number != 0 && (at == 0 || offset == sourceOffset_)) {
            sourceOffset_ = offset;
            ++sourceNumbered_;
            return;
        }
        sourceRows_.reserve(rowsStored_);
        for (std::size_t r = 0; r < rowsStored_; ++r)
            sourceRows_.push_back(sourceOffsetOf(r));
    }
    sourceRows_[at] = number;
}

int MemoryTable::sourceRow(int row) const {
    const std::size_t at = stored(row);
    return sourceRows_.empty() ? sourceOffsetOf(at) : sourceRows_[at];
}

void MemoryTable::clear() {
    beginResetModel();
    for (ColumnStore& column : cells_)
        column.clear();
    rowsStored_ = 0;
    sourceRows_ = {};
    sourceOffset_ = 0;
    sourceNumbered_ = 0;
    order_ = {};
    endResetModel();
}

std::size_t MemoryTable::bytes() const {
    std::size_t bytes = (order_.capacity() + sourceRows_.capacity()) * sizeof(int);
    for (const ColumnStore& column : cells_)
        bytes += column.bytes();
    return bytes;
}

int MemoryTable::sourceOffsetOf(std::size_t at) const {
    return at < sourceNumbered_ ? static_cast<int>(sourceOffset_ + static_cast<std::int64_t>(at))
                                : 0;
}

void MemoryTable::materializeOrder() {
    if (!order_.empty() || rowsStored_ == 0)
        return;
    order_.resize(rowsStored_);
    for (std::size_t r = 0; r < rowsStored_; ++r)
        order_[r] = static_cast<int>(r);
}

void MemoryTable::arrange(const std::vector<int>& positions) {
    materializeOrder();
    if (positions.size() != order_.size())
        throw std::invalid_argument("MemoryTable::arrange: not a permutation of the rows");
    std::vector<int> arranged;
    arranged.reserve(order_.size());
    std::vector<bool> taken(order_.size(), false);
    for (const int position : positions) {
        const auto at = static_cast<std::size_t>(position);
        if (position < 0 || at >= order_.size() || taken[at])
            throw std::invalid_argument("MemoryTable::arrange: not a permutation of the rows");
        taken[at] = true;
        arranged.push_back(order_[at]);
    }
    if (!loading_)
        emit layoutAboutToBeChanged();
    order_ = std::move(arranged);
    if (loading_)
        return;
    changePersistentIndexList(persistentIndexList(), {});
    emit layoutChanged();
}

void MemoryTable::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount())
        return;
    const ColumnStore& cells = cells_[static_cast<std::size_t>(column)];
    const std::vector<std::uint32_t> ranks = cells.textRanks();
    emit layoutAboutToBeChanged();
    materializeOrder();
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        const int c =
            cells.compare(static_cast<std::size_t>(a), static_cast<std::size_t>(b), ranks);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    changePersistentIndexList(persistentIndexList(), {});
    emit layoutChanged();
}

void MemoryTable::setCaption(int column, const QString& caption) {
    captions_.at(static_cast<std::size_t>(column)) = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void MemoryTable::setDisplayDecimals(int column, int decimals) {
    decimals_.at(static_cast<std::size_t>(column)) = decimals;
}

int MemoryTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}

int MemoryTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString MemoryTable::displayText(int row, int column) const {
    const Value v = value(row, column);
    if (v.isNull())
        return {};
    switch (columns_[static_cast<std::size_t>(column)].type) {
        case ColumnType::Int16:
        case ColumnType::Int32:
            return QString::number(v.toInt());
        case ColumnType::Text:
            return v.toText();
        case ColumnType::Date:
            return dayMonthYear(v.toDate());
        case ColumnType::Currency: {
            // "###,###,###.0000" in the user's locale: no zero before the decimal sign.
            MoneyTextFormat format = MoneyTextFormat::of(QLocale());
            format.zeroBeforeDecimal = false;
            return formatMoney(v.toMoney(), decimals_[static_cast<std::size_t>(column)], format);
        }
    }
    return {};
}

QVariant MemoryTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return displayText(index.row(), index.column());
    if (role == Qt::EditRole) {
        const Value v = value(index.row(), index.column());
        if (v.isNull())
            return {};
        switch (columns_[static_cast<std::size_t>(index.column())].type) {
            case ColumnType::Int16:
            case ColumnType::Int32:
                return static_cast<int>(v.toInt());
            case ColumnType::Text:
                return v.toText();
            case ColumnType::Currency:
                return v.toMoney().toString(4);
            case ColumnType::Date:
                return v.toDate();
        }
    }
    if (role == Qt::TextAlignmentRole) {
        const ColumnType type = columns_[static_cast<std::size_t>(index.column())].type;
        if (type == ColumnType::Int16 || type == ColumnType::Int32 || type == ColumnType::Currency)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant MemoryTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical) {
        const int number = section < size() ? sourceRow(section) : 0;
        return number > 0 ? number : section + 1;
    }
    if (section < 0 || section >= columnCount())
        return {};
    return captions_[static_cast<std::size_t>(section)];
}

bool MemoryTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    Value stored;
    if (value.isValid() && !(value.typeId() == QMetaType::QString && value.toString().isEmpty())) {
        if (value.typeId() == QMetaType::QDate)
            stored = Value(value.toDate());
        else
            stored = Value(value.toString());
    }
    try {
        setValue(index.row(), index.column(), stored);
    } catch (const ValueError&) {
        return false;
    }
    return true;
}

Qt::ItemFlags MemoryTable::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid())
        flags |= Qt::ItemIsEditable;
    return flags;
}

}  // namespace agrimor
