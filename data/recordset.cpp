#include "data/recordset.h"

#include "data/db_error.h"
#include "data/dialect.h"

namespace agrimor {

namespace {

[[noreturn]] void noSuchColumn(const QString& name) {
    throw DbError(DbError::kInvalidColumn,
                  QStringLiteral("O campo '%1' não existe no conjunto de registos").arg(name));
}

}  // namespace

Recordset::Recordset(RowSet rows) : set_(std::move(rows)) {
    givenNames_.resize(static_cast<std::size_t>(set_.columns.size()));
    index_.reserve(set_.columns.size());
    for (qsizetype c = 0; c < set_.columns.size(); ++c) {
        const QString& name = set_.columns[c].name;
        if (!exactIndex_.contains(name))  // the first of two same-named columns wins
            exactIndex_.insert(name, static_cast<int>(c));
        const QString key = name.toUpper();
        if (!index_.contains(key))
            index_.insert(key, static_cast<int>(c));
    }
}

Recordset::Recordset(const Recordset& other)
    : set_((other.settleBoundRow(), other.set_)),
      row_(other.row_),
      nextGuess_(other.nextGuess_),
      givenNames_(other.givenNames_),
      exactIndex_(other.exactIndex_),
      index_(other.index_) {}

Recordset& Recordset::operator=(const Recordset& other) {
    if (this != &other) {
        other.settleBoundRow();
        set_ = other.set_;
        row_ = other.row_;
        boundRow_ = -1;
        nextGuess_ = other.nextGuess_;
        givenNames_ = other.givenNames_;
        exactIndex_ = other.exactIndex_;
        index_ = other.index_;
    }
    return *this;
}

void Recordset::moveNext() {
    if (row_ < rowCount())
        ++row_;
}

void Recordset::movePrevious() {
    if (row_ >= 0)
        --row_;
}

void Recordset::moveTo(int row) {
    row_ = std::clamp(row, -1, rowCount());
}

int Recordset::columnIndex(const QString& name) const {
    // Rows are mostly filled column after column: try the one after the last found first.
    if (nextGuess_ < columnCount() && QStringView(set_.columns[nextGuess_].name) == name)
        return nextGuess_++;
    // Most callers spell the name as the table does; only the others pay for the upper-casing.
    int index = -1;
    if (const auto exact = exactIndex_.constFind(name); exact != exactIndex_.cend())
        index = *exact;
    else
        index = index_.value(name.toUpper(), -1);
    if (index >= 0)
        nextGuess_ = index + 1;
    return index;
}

int Recordset::findColumn(const QString& name) const {
    const int index = columnIndex(name);
    if (index < 0)
        noSuchColumn(name);
    givenNames_[static_cast<std::size_t>(index)] = name;
    return index;
}

void Recordset::requireRow() const {
    if (bof() || eof())
        throw DbError(0, QStringLiteral("Não há registo corrente (início ou fim do conjunto)"));
}

std::vector<Value>& Recordset::currentRow() {
    requireRow();
    if (row_ == boundRow_)
        settleBoundRow();
    return set_.rows[static_cast<size_t>(row_)];
}

const std::vector<Value>& Recordset::currentRow() const {
    requireRow();
    if (row_ == boundRow_)
        settleBoundRow();
    return set_.rows[static_cast<size_t>(row_)];
}

const Value& Recordset::field(const QString& name) const {
    return currentRow()[static_cast<size_t>(requireColumn(name))];
}

const Value& Recordset::field(int index) const {
    if (index < 0 || index >= columnCount())
        noSuchColumn(QString::number(index));
    return currentRow()[static_cast<size_t>(index)];
}

UpdatableRecordset::UpdatableRecordset(std::shared_ptr<Engine> engine, QString table, RowSet rows,
                                       std::vector<Value> locators)
    : Recordset(std::move(rows)),
      engine_(std::move(engine)),
      table_(std::move(table)),
      locators_(std::move(locators)) {
    states_.resize(set_.rows.size());
    originals_.resize(set_.rows.size());
    locators_.resize(set_.rows.size());
}

UpdatableRecordset::RowState& UpdatableRecordset::rowState() {
    requireRow();
    return states_[static_cast<size_t>(row_)];
}

void UpdatableRecordset::addNew() {
    if (boundRow_ >= 0)
        settleBoundRow();  // a row added and not written keeps its values in the set
    const std::size_t columns = static_cast<std::size_t>(set_.columns.size());
    if (spareRow_.size() == columns) {
        // The values were moved into the last INSERT or are left over from a row never written;
        // a row that was bound holds none.
        if (!spareIsNull_) {
            spareRow_.clear();
            spareRow_.resize(columns);  // null values in the room the last row had
        }
        spareChanged_.assign(columns, 0);
        set_.rows.push_back(std::move(spareRow_));
        states_.push_back({State::Adding, std::move(spareChanged_)});
    } else {
        set_.rows.emplace_back(columns);
        states_.push_back({State::Adding, std::vector<char>(columns, 0)});
    }
    spareRow_.clear();
    spareChanged_.clear();
    spareIsNull_ = false;
    originals_.emplace_back();
    locators_.emplace_back();
    row_ = rowCount() - 1;
    startBoundRow();
}

void UpdatableRecordset::startBoundRow() {
    // Rows with the columns of the INSERT before them are the bulk of an append; after a few
    // that took other columns, binding is given up for this set.
    constexpr int kMisses = 4;
    if (lastInsertSql_.isEmpty() || boundMisses_ >= kMisses)
        return;
    if (!bound_) {
        bound_ = engine_->prepareBoundInsert(lastInsertSql_);
        if (!bound_) {
            boundMisses_ = kMisses;  // the engine has none
            return;
        }
        parameterOf_.assign(lastInsertColumns_.size(), -1);
        int parameter = 0;
        for (std::size_t c = 0; c < lastInsertColumns_.size(); ++c)
            if (lastInsertColumns_[c])
                parameterOf_[c] = parameter++;
    }
    bound_->startRow();
    boundRow_ = row_;
}

void UpdatableRecordset::settleAndSet(int column, const Value& value) {
    // A column the INSERT does not name: the row is written the ordinary way.
    settleBoundRow();
    ++boundMisses_;
    setField(column, value);
}

void UpdatableRecordset::settleBoundRow() const {
    if (boundRow_ < 0)
        return;
    // The values the insert holds go where the row would have held them: reading the row sees
    // it as it was given.
    const auto at = static_cast<std::size_t>(boundRow_);
    auto& row = const_cast<std::vector<Value>&>(set_.rows[at]);
    const std::vector<char>& given = states_[at].changed;
    for (std::size_t c = 0; c < given.size(); ++c)
        if (given[c])
            row[c] = bound_->value(parameterOf_[c]);
    boundRow_ = -1;
}

void UpdatableRecordset::setFieldOfCleanRow(int column, const Value& value) {
    if (column < 0 || column >= columnCount())
        noSuchColumn(QString::number(column));
    RowState& state = rowState();
    const size_t index = static_cast<size_t>(row_);
    if (state.state == State::Clean) {
        state.state = State::Editing;
        state.changed.assign(set_.columns.size(), 0);
        originals_[index] = set_.rows[index];
    }
    set_.rows[index][static_cast<size_t>(column)] = value;
    state.changed[static_cast<size_t>(column)] = 1;
}

void UpdatableRecordset::update() {
    RowState& state = rowState();
    if (state.state != State::Adding && state.state != State::Editing)
        return;
    if (row_ == boundRow_) {
        if (state.changed == lastInsertColumns_) {
            bound_->run();
            boundRow_ = -1;
            spareRow_ = std::move(set_.rows.back());
            spareChanged_ = std::move(state.changed);
            spareIsNull_ = true;
            dropCurrentRow();
            return;
        }
        settleBoundRow();
        ++boundMisses_;
    }
    if (state.state == State::Adding) {
        insertCurrent(state.changed);
        // A row added is the last one: its storage serves the next.
        if (row_ == rowCount() - 1) {
            spareRow_ = std::move(set_.rows.back());
            spareChanged_ = std::move(state.changed);
            spareIsNull_ = false;
        }
        dropCurrentRow();
        return;
    }
    auto& row = currentRow();
    QStringList names;
    Params params;
    for (size_t c = 0; c < state.changed.size(); ++c) {
        if (!state.changed[c])
            continue;
        names << set_.columns[static_cast<qsizetype>(c)].name;
        params << row[c];
    }
    if (!names.isEmpty()) {
        const size_t index = static_cast<size_t>(row_);
        const QString sql = engine_->dialect().updateRow(
            table_, names, set_.columns, originals_[index], locators_[index], params);
        if (engine_->execute(sql, params) != 1)
            throw DbError(
                0, QStringLiteral("O registo a alterar já não existe na tabela %1").arg(table_));
        originals_[index].clear();
    }
    state.state = State::Clean;
}

void UpdatableRecordset::insertCurrent(const std::vector<char>& given) {
    if (given != lastInsertColumns_ || lastInsertSql_.isEmpty()) {
        QStringList quoted;
        for (size_t c = 0; c < given.size(); ++c) {
            if (given[c])
                quoted << QLatin1Char('[') + set_.columns[static_cast<qsizetype>(c)].name +
                              QLatin1Char(']');
        }
        if (quoted.isEmpty()) {
            // A row with no value given: the database's defaults only.
            lastInsertSql_ = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_);
        } else {
            const QString placeholders = QStringLiteral("?, ").repeated(quoted.size()).chopped(2);
            lastInsertSql_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(table_, quoted.join(u", "), placeholders);
        }
        lastInsertColumns_ = given;
        bound_.reset();
    }
    // The row leaves the set once written, so its values can move into the statement.
    engine_->insertGiven(lastInsertSql_, currentRow(), given);
}

void UpdatableRecordset::dropCurrentRow() {
    if (boundRow_ == row_)
        boundRow_ = -1;
    else if (boundRow_ > row_)
        --boundRow_;
    set_.rows.erase(set_.rows.begin() + row_);
    states_.erase(states_.begin() + row_);
    originals_.erase(originals_.begin() + row_);
    locators_.erase(locators_.begin() + row_);
}

void UpdatableRecordset::deleteCurrent() {
    RowState& state = rowState();
    const size_t index = static_cast<size_t>(row_);
    if (state.state == State::Adding) {
        dropCurrentRow();  // never written: nothing to delete in the table
        return;
    }
    const std::vector<Value>& original =
        state.state == State::Editing ? originals_[index] : set_.rows[index];
    Params params;
    const QString sql =
        engine_->dialect().deleteRow(table_, set_.columns, original, locators_[index], params);
    if (engine_->execute(sql, params) != 1)
        throw DbError(0,
                      QStringLiteral("O registo a apagar já não existe na tabela %1").arg(table_));
    dropCurrentRow();
}

}  // namespace agrimor
