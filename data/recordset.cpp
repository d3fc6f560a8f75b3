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
    index_.reserve(set_.columns.size());
    for (qsizetype c = 0; c < set_.columns.size(); ++c) {
        const QString key = set_.columns[c].name.toUpper();
        if (!index_.contains(key))  // the first of two same-named columns wins
            index_.insert(key, static_cast<int>(c));
    }
}

void Recordset::moveNext() {
    if (row_ < rowCount())
        ++row_;
}

void Recordset::movePrevious() {
    if (row_ >= 0)
        --row_;
}

void Recordset::moveTo(int row) { row_ = std::clamp(row, -1, rowCount()); }

int Recordset::columnIndex(const QString& name) const {
    return index_.value(name.toUpper(), -1);
}

int Recordset::requireColumn(const QString& name) const {
    const int index = columnIndex(name);
    if (index < 0)
        noSuchColumn(name);
    return index;
}

void Recordset::requireRow() const {
    if (bof() || eof())
        throw DbError(0, QStringLiteral("Não há registo corrente (início ou fim do conjunto)"));
}

std::vector<Value>& Recordset::currentRow() {
    requireRow();
    return set_.rows[static_cast<size_t>(row_)];
}

const std::vector<Value>& Recordset::currentRow() const {
    requireRow();
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

UpdatableRecordset::UpdatableRecordset(std::shared_ptr<Engine> engine, QString table,
                                       RowSet rows, std::vector<Value> locators)
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
    set_.rows.emplace_back(set_.columns.size());
    states_.push_back({State::Adding, std::vector<bool>(set_.columns.size(), false)});
    originals_.emplace_back();
    locators_.emplace_back();
    row_ = rowCount() - 1;
}

void UpdatableRecordset::setField(const QString& name, const Value& value) {
    const int column = requireColumn(name);
    RowState& state = rowState();
    if (state.state == State::Added)
        throw DbError(0, QStringLiteral("Um registo acrescentado não pode ser alterado sem nova leitura da tabela %1")
                             .arg(table_));
    if (state.state == State::Clean) {
        state.state = State::Editing;
        state.changed.assign(set_.columns.size(), false);
        originals_[static_cast<size_t>(row_)] = currentRow();
    }
    currentRow()[static_cast<size_t>(column)] = value;
    state.changed[static_cast<size_t>(column)] = true;
}

void UpdatableRecordset::update() {
    RowState& state = rowState();
    if (state.state != State::Adding && state.state != State::Editing)
        return;
    auto& row = currentRow();
    QStringList names;
    Params params;
    for (size_t c = 0; c < state.changed.size(); ++c) {
        if (!state.changed[c])
            continue;
        names << set_.columns[static_cast<qsizetype>(c)].name;
        params << row[c];
    }
    if (state.state == State::Adding) {
        if (names.isEmpty()) {
            // A row with no value given: the database's defaults only.
            engine_->execute(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_), {});
        } else {
            QStringList quoted;
            for (const QString& name : names)
                quoted << QLatin1Char('[') + name + QLatin1Char(']');
            const QString placeholders = QStringLiteral("?, ").repeated(names.size()).chopped(2);
            engine_->insert(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(table_, quoted.join(u", "), placeholders),
                            params);
        }
        state.state = State::Added;
        return;
    }
    if (!names.isEmpty()) {
        const size_t index = static_cast<size_t>(row_);
        const QString sql = engine_->dialect().updateRow(table_, names, set_.columns,
                                                         originals_[index], locators_[index], params);
        if (engine_->execute(sql, params) != 1)
            throw DbError(0, QStringLiteral("O registo a alterar já não existe na tabela %1").arg(table_));
        originals_[index].clear();
    }
    state.state = State::Clean;
}

void UpdatableRecordset::cancelUpdate() {
    RowState& state = rowState();
    const size_t index = static_cast<size_t>(row_);
    if (state.state == State::Adding) {
        set_.rows.erase(set_.rows.begin() + row_);
        states_.erase(states_.begin() + row_);
        originals_.erase(originals_.begin() + row_);
        locators_.erase(locators_.begin() + row_);
        row_ = std::min(row_, rowCount());
    } else if (state.state == State::Editing) {
        set_.rows[index] = originals_[index];
        originals_[index].clear();
        state.state = State::Clean;
    }
}

void UpdatableRecordset::deleteCurrent() {
    RowState& state = rowState();
    const size_t index = static_cast<size_t>(row_);
    if (state.state == State::Adding || state.state == State::Added)
        throw DbError(0, QStringLiteral("Um registo acrescentado não pode ser apagado sem nova leitura da tabela %1")
                             .arg(table_));
    const std::vector<Value>& original =
        state.state == State::Editing ? originals_[index] : set_.rows[index];
    Params params;
    const QString sql =
        engine_->dialect().deleteRow(table_, set_.columns, original, locators_[index], params);
    if (engine_->execute(sql, params) != 1)
        throw DbError(0, QStringLiteral("O registo a apagar já não existe na tabela %1").arg(table_));
    set_.rows.erase(set_.rows.begin() + row_);
    states_.erase(states_.begin() + row_);
    originals_.erase(originals_.begin() + row_);
    locators_.erase(locators_.begin() + row_);
}

}  // namespace agrimor
