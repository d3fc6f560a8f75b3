#include "class9/class9_writer.h"

#include <QHash>
#include <algorithm>
#include <limits>
#include <tuple>
#include <vector>

#include "class9/class9_error.h"
#include "class9/working_set.h"
#include "data/data_access.h"
#include "data/db_error.h"

namespace agrimor {

namespace {

using W = Class9WorkingSet;

// A movement line's key as the grid holds it (the year is the confirmation's own). Rows are
// matched on the exact values the load read from the database: on a database that compares text
// without regard to case, two keys that differ only in case cannot both exist, and on one that
// compares exactly, "FT" and "ft" are two documents whose lines must both be found.
struct LineKey {
    QString tpDoc;
    QString serie;
    std::int64_t numDoc = 0;
    std::int64_t numLinha = 0;

    bool operator==(const LineKey&) const = default;
};

size_t qHash(const LineKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.tpDoc, key.serie, key.numDoc, key.numLinha);
}

LineKey lineKey(const QString& tpDoc, const QString& serie, std::int64_t numDoc,
                std::int64_t numLinha) {
    return {tpDoc, serie, numDoc, numLinha};
}

LineKey rowKey(const Class9WorkingSet& set, int row) {
    return lineKey(set.value(row, W::TpDoc).toText(), set.value(row, W::Serie).toText(),
                   set.value(row, W::NumDoc).toInt(), set.value(row, W::NumLinha).toInt());
}

// The grid rows by the key of the line each stands for. Two rows for one line: the first wins,
// the other counts as gone.
QHash<LineKey, int> rowsByKey(const Class9WorkingSet& set) {
    QHash<LineKey, int> rows;
    rows.reserve(set.size());
    // insert() keeps the last value given: walking backwards leaves the first row.
    for (int row = set.size() - 1; row >= 0; --row)
        rows.insert(rowKey(set, row), row);
    return rows;
}

// Reports progress now and then rather than for every row.
class ProgressSteps {
public:
    ProgressSteps(const Class9Progress& progress, int rows)
        : progress_(progress), maximum_(rows + 10), step_(std::max(1, rows / 200)) {
        report();
    }

    void advance() {
        ++value_;
        if (value_ - reported_ >= step_)
            report();
    }
    void finish() {
        if (reported_ != value_)
            report();
    }

private:
    void report() {
        reported_ = value_;
        if (progress_)
            progress_(value_, maximum_);
    }

    const Class9Progress& progress_;
    int maximum_;
    int step_;
    int value_ = 0;
    int reported_ = -1;
};

// The lines the grid rows stand for, read a range of documents at a time: one type and series,
// document numbers from..to, found through the table's key. Each range holds about `sliceRows`
// grid rows (a document is never split), so a read holds that many lines at most.
struct KeyRange {
    Value tpDoc;
    Value serie;
    std::int64_t from = 0;
    std::int64_t to = 0;
};

const QString kRangeFilter =
    QStringLiteral("Ano=? and TpDoc=? and Serie=? and NumDoc>=? and NumDoc<=?");

Params rangeParams(const KeyRange& range, int year) {
    return {year, range.tpDoc, range.serie, range.from, range.to};
}

std::vector<KeyRange> keyRanges(const Class9WorkingSet& set, int sliceRows) {
    struct Key {
        QString tpDoc;
        QString serie;
        std::int64_t numDoc;
        int row;
    };
    std::vector<Key> keys;
    keys.reserve(static_cast<std::size_t>(set.size()));
    for (int row = 0; row < set.size(); ++row)
        keys.push_back({set.value(row, W::TpDoc).toText(), set.value(row, W::Serie).toText(),
                        set.value(row, W::NumDoc).toInt(), row});
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return std::tie(a.tpDoc, a.serie, a.numDoc) < std::tie(b.tpDoc, b.serie, b.numDoc);
    });
    std::vector<KeyRange> ranges;
    int rowsInRange = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Key& key = keys[i];
        const bool sameGroup =
            i > 0 && key.tpDoc == keys[i - 1].tpDoc && key.serie == keys[i - 1].serie;
        const bool sameDocument = sameGroup && key.numDoc == keys[i - 1].numDoc;
        if (!sameGroup || (!sameDocument && rowsInRange >= sliceRows)) {
            ranges.push_back({set.value(key.row, W::TpDoc), set.value(key.row, W::Serie),
                              key.numDoc, key.numDoc});
            rowsInRange = 0;
        }
        ranges.back().to = key.numDoc;
        ++rowsInRange;
    }
    return ranges;
}

// The numbers a grid row is written with.
struct Numbered {
    std::int64_t numDoc = 0;
    std::int64_t numDiario = 0;
    int numLinha = 0;
    bool done = false;  // its source line was taken (or it is known to be gone)
};

std::vector<Numbered> numberRows(const Class9WorkingSet& set, const Class9Numbers& last) {
    std::vector<Numbered> numbers(static_cast<std::size_t>(set.size()));
    std::int64_t numDoc = last.numDoc;
    std::int64_t numDiario = last.numDiario;
    int numLinha = 0;
    QString previous;
    for (int row = 0; row < set.size(); ++row) {
        const QString document = documentKey(set.value(row, W::Doc).toText());
        if (row == 0 || document != previous) {
            ++numDoc;
            ++numDiario;
            numLinha = 1;
        } else {
            ++numLinha;
        }
        if (numDoc > std::numeric_limits<std::int32_t>::max() ||
            numDiario > std::numeric_limits<std::int32_t>::max() ||
            numLinha > std::numeric_limits<std::int16_t>::max())
            throw Class9Error(
                QStringLiteral("A numeração dos documentos de classe 9 excede o limite (linha %1)")
                    .arg(row + 1));
        numbers[static_cast<std::size_t>(row)] = {numDoc, numDiario, numLinha, false};
        previous = document;
    }
    return numbers;
}

// How each source column is written.
enum class Role {
    Copy,
    Account,
    DocumentType,
    DocumentNumber,
    ThirdPartyKind,
    Series,
    Journal,
    JournalNumber,
    Line,
    Reference,
    Skip
};

Role roleOf(const QString& column) {
    static const QHash<QString, Role> roles{
        {QStringLiteral("CONTA"), Role::Account},
        {QStringLiteral("TPDOC"), Role::DocumentType},
        {QStringLiteral("NUMDOC"), Role::DocumentNumber},
        {QStringLiteral("TPTERC"), Role::ThirdPartyKind},
        {QStringLiteral("SERIE"), Role::Series},
        {QStringLiteral("DIARIO"), Role::Journal},
        {QStringLiteral("NUMDIARI"), Role::JournalNumber},
        {QStringLiteral("NUMLINHA"), Role::Line},
        {QStringLiteral("REF"), Role::Reference},
        {QStringLiteral("DBTS"), Role::Skip},
    };
    return roles.value(column.toUpper(), Role::Copy);
}

// A source column the writing needs: copied, or part of the key the rows are matched on.
bool readsSource(Role role) {
    return role == Role::Copy || role == Role::DocumentType || role == Role::Series ||
           role == Role::DocumentNumber || role == Role::Line;
}

class Writer {
public:
    Writer(DataAccess& company, const Class9WorkingSet& set, const Class9Target& target,
           const Class9Numbers& last, const Class9Progress& progress)
        : company_(company),
          set_(set),
          target_(target),
          last_(last),
          numbers_(numberRows(set, last)),
          rows_(rowsByKey(set)),
          progress_(progress, set.size()),
          table_(company.openUpdatable(QStringLiteral("MovCTB"), QStringLiteral("Ano=?"), {-1})) {
        // Only what is copied or matched on is read; the template gives the table's columns.
        QStringList read;
        for (const ColumnInfo& column : table_.columns()) {
            const Role role = roleOf(column.name);
            if (role == Role::Skip)
                continue;
            plan_.push_back({column.name, role, -1});
            if (readsSource(role))
                read << QLatin1Char('[') + column.name + QLatin1Char(']');
        }
        select_ =
            QStringLiteral("Select %1 from MovCTB where ").arg(read.join(QStringLiteral(", "))) +
            kRangeFilter;
    }

    Class9WriteSummary run() {
        Class9WriteSummary summary;
        if (!numbers_.empty()) {
            summary.firstDocument = numbers_.front().numDoc;
            summary.documents = static_cast<int>(numbers_.back().numDoc - last_.numDoc);
        }
        for (const KeyRange& range : keyRanges(set_, target_.sliceRows)) {
            Taken reader(*this);
            company_.queryEach(select_, rangeParams(range, target_.year), reader);
            for (auto& [row, line] : reader.taken)
                write(row, line, summary);
        }
        for (const Numbered& numbers : numbers_) {
            if (!numbers.done) {
                ++summary.vanished;
                progress_.advance();
            }
        }
        progress_.finish();
        return summary;
    }

private:
    // Keeps the source lines of one read that grid rows are waiting for.
    class Taken : public RowSink {
    public:
        explicit Taken(Writer& writer) : writer_(writer) {}

        void columns(const QList<ColumnInfo>& columns) override { writer_.learn(columns); }

        bool row(std::vector<Value>& line) override {
            const int row = writer_.waitingRow(line);
            if (row >= 0) {
                writer_.numbers_[static_cast<std::size_t>(row)].done = true;
                taken.emplace_back(row, std::move(line));
            }
            return true;
        }

        std::vector<std::pair<int, std::vector<Value>>> taken;

    private:
        Writer& writer_;
    };

    void learn(const QList<ColumnInfo>& columns) {
        if (learnt_)
            return;
        const auto find = [&](const QString& name) {
            for (qsizetype c = 0; c < columns.size(); ++c)
                if (columns.at(c).name.compare(name, Qt::CaseInsensitive) == 0)
                    return static_cast<int>(c);
            throw DbError(DbError::kInvalidColumn,
                          QStringLiteral("O campo '%1' não existe em MovCTB").arg(name));
        };
        for (Planned& column : plan_) {
            if (column.role == Role::Copy)
                column.source = find(column.name);
        }
        tpDocColumn_ = find(QStringLiteral("TpDoc"));
        serieColumn_ = find(QStringLiteral("Serie"));
        numDocColumn_ = find(QStringLiteral("NumDoc"));
        numLinhaColumn_ = find(QStringLiteral("NumLinha"));
        learnt_ = true;
    }

    // The grid row still waiting for this line; -1 for a line no row wants, and for the lines
    // this confirmation has just written (same type and series, a number above the last one).
    int waitingRow(const std::vector<Value>& line) const {
        const QString tpDoc = line[static_cast<std::size_t>(tpDocColumn_)].toText();
        const QString serie = line[static_cast<std::size_t>(serieColumn_)].toText();
        const std::int64_t numDoc = line[static_cast<std::size_t>(numDocColumn_)].toInt();
        if (numDoc > last_.numDoc && tpDoc == target_.tpDoc && serie == target_.serie)
            return -1;
        const auto found = rows_.constFind(
            lineKey(tpDoc, serie, numDoc, line[static_cast<std::size_t>(numLinhaColumn_)].toInt()));
        if (found == rows_.constEnd() || numbers_[static_cast<std::size_t>(*found)].done)
            return -1;
        return *found;
    }

    void write(int row, const std::vector<Value>& source, Class9WriteSummary& summary) {
        const Numbered& numbers = numbers_[static_cast<std::size_t>(row)];
        table_.addNew();
        for (const Planned& column : plan_) {
            const QString& name = column.name;
            switch (column.role) {
                case Role::Copy:
                    table_.setField(name, source[static_cast<std::size_t>(column.source)]);
                    break;
                case Role::Account:
                    table_.setField(name, set_.value(row, W::Classe9));
                    break;
                case Role::DocumentType:
                    table_.setField(name, target_.tpDoc);
                    break;
                case Role::DocumentNumber:
                    table_.setField(name, numbers.numDoc);
                    break;
                case Role::ThirdPartyKind:
                    table_.setField(name, 4);
                    break;
                case Role::Series:
                    table_.setField(name, target_.serie);
                    break;
                case Role::Journal:
                    table_.setField(name, target_.diario);
                    break;
                case Role::JournalNumber:
                    table_.setField(name, numbers.numDiario);
                    break;
                case Role::Line:
                    table_.setField(name, numbers.numLinha);
                    break;
                case Role::Reference:
                    table_.setField(name, set_.value(row, W::Doc));
                    break;
                case Role::Skip:
                    break;
            }
        }
        table_.update();
        ++summary.lines;
        progress_.advance();
    }

    DataAccess& company_;
    const Class9WorkingSet& set_;
    const Class9Target& target_;
    Class9Numbers last_;
    std::vector<Numbered> numbers_;
    QHash<LineKey, int> rows_;
    ProgressSteps progress_;
    UpdatableRecordset table_;

    // The table's columns as written: the role of each, and where a copied one is in a read.
    struct Planned {
        QString name;
        Role role;
        int source;
    };
    std::vector<Planned> plan_;
    QString select_;
    bool learnt_ = false;
    int tpDocColumn_ = -1, serieColumn_ = -1, numDocColumn_ = -1, numLinhaColumn_ = -1;
};

// Sets the account of a reloaded line when it differs.
void updateLine(UpdatableRecordset& lines, const Value& account, Class9UpdateSummary& summary) {
    const Value& current = lines.field(QStringLiteral("Conta"));
    if (current.isNull() == account.isNull() && current.toText() == account.toText()) {
        ++summary.unchanged;
        return;
    }
    lines.setField(QStringLiteral("Conta"), account);
    lines.update();
    ++summary.changed;
}

}  // namespace

Class9WriteSummary writeClass9(DataAccess& company, const Class9WorkingSet& set,
                               const Class9Target& target, const Class9Progress& progress) {
    const Class9Numbers last =
        highestNumbersInUse(company, target.year, target.tpDoc, target.serie, target.diario);
    Writer writer(company, set, target, last, progress);
    return writer.run();
}

Class9UpdateSummary updateClass9(DataAccess& company, const Class9WorkingSet& set,
                                 const Class9Target& target, const Class9Progress& progress) {
    Class9UpdateSummary summary;
    const QHash<LineKey, int> rows = rowsByKey(set);
    std::vector<bool> done(static_cast<std::size_t>(set.size()), false);
    ProgressSteps steps(progress, set.size());
    for (const KeyRange& range : keyRanges(set, target.sliceRows)) {
        UpdatableRecordset lines = company.openUpdatable(QStringLiteral("MovCTB"), kRangeFilter,
                                                         rangeParams(range, target.year));
        for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
            const auto found =
                rows.constFind(lineKey(lines.field(QStringLiteral("TpDoc")).toText(),
                                       lines.field(QStringLiteral("Serie")).toText(),
                                       lines.field(QStringLiteral("NumDoc")).toInt(),
                                       lines.field(QStringLiteral("NumLinha")).toInt()));
            if (found == rows.constEnd() || done[static_cast<std::size_t>(*found)])
                continue;
            done[static_cast<std::size_t>(*found)] = true;
            updateLine(lines, set.value(*found, W::Classe9), summary);
            steps.advance();
        }
    }
    for (const bool found : done) {
        if (!found) {
            ++summary.vanished;
            steps.advance();
        }
    }
    steps.finish();
    return summary;
}

}  // namespace agrimor
