#include "class9/class9_writer.h"

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

#include "class9/class9_error.h"
#include "class9/working_set.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "ledger/movement_line.h"

namespace agrimor {

namespace {

using W = Class9WorkingSet;

// The grid rows by the key of the line each stands for (type, series, document and line number;
// the year is the confirmation's own), sorted: a number per row rather than a hashed copy of each
// key. Rows are matched on the exact values the load read from the database: on a database that
// compares text without regard to case, two keys that differ only in case cannot both exist, and
// on one that compares exactly, "FT" and "ft" are two documents whose lines must both be found.
class RowsByKey {
public:
    explicit RowsByKey(const Class9WorkingSet& set) {
        // The type and series pairs, numbered in the order they sort in.
        std::vector<std::pair<QString, QString>> pairs;
        std::vector<std::uint32_t> pairOf(static_cast<std::size_t>(set.size()));
        {
            std::map<std::pair<QString, QString>, std::uint32_t> seen;
            for (int row = 0; row < set.size(); ++row)
                seen.emplace(
                    std::pair(set.value(row, W::TpDoc).toText(), set.value(row, W::Serie).toText()),
                    0);
            for (auto& [pair, number] : seen) {
                number = static_cast<std::uint32_t>(pairs.size());
                pairs.push_back(pair);
            }
            for (int row = 0; row < set.size(); ++row)
                pairOf[static_cast<std::size_t>(row)] = seen.at(std::pair(
                    set.value(row, W::TpDoc).toText(), set.value(row, W::Serie).toText()));
        }
        pairs_ = std::move(pairs);
        keys_.reserve(static_cast<std::size_t>(set.size()));
        for (int row = 0; row < set.size(); ++row)
            keys_.push_back({pairOf[static_cast<std::size_t>(row)],
                             static_cast<std::int32_t>(set.value(row, W::NumDoc).toInt()),
                             static_cast<std::int32_t>(set.value(row, W::NumLinha).toInt()), row});
        // Stable: of two rows for one line the first comes first, and wins; the other counts as
        // gone.
        std::stable_sort(keys_.begin(), keys_.end(), [](const Key& a, const Key& b) {
            return std::tie(a.pair, a.numDoc, a.numLinha) < std::tie(b.pair, b.numDoc, b.numLinha);
        });
    }

    // The first row for the line, -1 when none.
    int find(const QString& tpDoc, const QString& serie, std::int64_t numDoc,
             std::int64_t numLinha) const {
        const auto pair = std::lower_bound(pairs_.begin(), pairs_.end(), std::pair(tpDoc, serie));
        if (pair == pairs_.end() || pair->first != tpDoc || pair->second != serie)
            return -1;
        if (numDoc < std::numeric_limits<std::int32_t>::min() ||
            numDoc > std::numeric_limits<std::int32_t>::max() ||
            numLinha < std::numeric_limits<std::int32_t>::min() ||
            numLinha > std::numeric_limits<std::int32_t>::max())
            return -1;
        const Key wanted{static_cast<std::uint32_t>(pair - pairs_.begin()),
                         static_cast<std::int32_t>(numDoc), static_cast<std::int32_t>(numLinha), 0};
        const auto found =
            std::lower_bound(keys_.begin(), keys_.end(), wanted, [](const Key& a, const Key& b) {
                return std::tie(a.pair, a.numDoc, a.numLinha) <
                       std::tie(b.pair, b.numDoc, b.numLinha);
            });
        if (found == keys_.end() || found->pair != wanted.pair || found->numDoc != wanted.numDoc ||
            found->numLinha != wanted.numLinha)
            return -1;
        return found->row;
    }

    struct Key {
        std::uint32_t pair;  // place in pairs_
        std::int32_t numDoc;
        std::int32_t numLinha;
        int row;
    };
    const std::vector<Key>& keys() const { return keys_; }

private:
    std::vector<std::pair<QString, QString>> pairs_;  // sorted as texts compare
    std::vector<Key> keys_;
};

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

// The ranges of the rows sorted by key.
std::vector<KeyRange> keyRanges(const Class9WorkingSet& set, const RowsByKey& rows, int sliceRows) {
    const std::vector<RowsByKey::Key>& keys = rows.keys();
    std::vector<KeyRange> ranges;
    int rowsInRange = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const RowsByKey::Key& key = keys[i];
        const bool sameGroup = i > 0 && key.pair == keys[i - 1].pair;
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

// The numbers the grid rows are written with, kept per document: a row whose document key
// (`Doc.` without its line number) differs from the row before opens the next document, and lines
// count 1, 2, ... within it. Both document and journal number go up by one a document.
class RowNumbers {
public:
    RowNumbers(const Class9WorkingSet& set, const Class9Numbers& last) : last_(last) {
        QString previous;
        for (int row = 0; row < set.size(); ++row) {
            const QString document = documentKey(set.value(row, W::Doc).toText());
            if (row == 0 || document != previous)
                starts_.push_back(row);
            const std::int64_t count = static_cast<std::int64_t>(starts_.size());
            if (last.numDoc + count > std::numeric_limits<std::int32_t>::max() ||
                last.numDiario + count > std::numeric_limits<std::int32_t>::max() ||
                row - starts_.back() + 1 > std::numeric_limits<std::int16_t>::max())
                throw Class9Error(
                    QStringLiteral(
                        "A numeração dos documentos de classe 9 excede o limite (linha %1)")
                        .arg(row + 1));
            previous = document;
        }
    }

    int documents() const { return static_cast<int>(starts_.size()); }

    struct Numbers {
        std::int64_t numDoc;
        std::int64_t numDiario;
        int numLinha;
    };
    Numbers of(int row) const {
        const auto next = std::upper_bound(starts_.begin(), starts_.end(), row);
        const std::int64_t document = next - starts_.begin();  // 1 for the first
        return {last_.numDoc + document, last_.numDiario + document, row - *(next - 1) + 1};
    }

private:
    Class9Numbers last_;
    std::vector<int> starts_;  // each document's first row
};

// A column the writing reads from the source line: copied, or part of the key the rows are
// matched on (type, series, document and line numbers). Class-9 sets the account, the journal and
// its number, the third party's kind and the reference itself.
bool readsSource(MovementRole role) {
    switch (role) {
        case MovementRole::Account:
        case MovementRole::ThirdPartyKind:
        case MovementRole::Journal:
        case MovementRole::JournalNumber:
        case MovementRole::Reference:
        case MovementRole::Skip:
            return false;
        default:
            return true;
    }
}

class Writer {
public:
    Writer(DataAccess& company, const Class9WorkingSet& set, const Class9Target& target,
           const Class9Numbers& last, const Class9Progress& progress)
        : company_(company),
          set_(set),
          target_(target),
          last_(last),
          numbers_(set, last),
          done_(static_cast<std::size_t>(set.size()), false),
          rows_(set),
          progress_(progress, set.size()),
          table_(company) {
        // Only what is copied or matched on is read; the writer gives the table's columns.
        QStringList read;
        for (qsizetype c = 0; c < table_.columns().size(); ++c) {
            const QString& name = table_.columns().at(c).name;
            const MovementRole role = table_.role(static_cast<int>(c));
            if (role == MovementRole::Skip)
                continue;
            plan_.push_back({name, static_cast<int>(c), role, -1});
            if (readsSource(role))
                read << QLatin1Char('[') + name + QLatin1Char(']');
        }
        select_ =
            QStringLiteral("Select %1 from MovCTB where ").arg(read.join(QStringLiteral(", "))) +
            kRangeFilter;
    }

    Class9WriteSummary run() {
        Class9WriteSummary summary;
        if (numbers_.documents() > 0) {
            summary.firstDocument = last_.numDoc + 1;
            summary.documents = numbers_.documents();
        }
        for (const KeyRange& range : keyRanges(set_, rows_, target_.sliceRows)) {
            Taken reader(*this);
            company_.queryEach(select_, rangeParams(range, target_.year), reader);
            for (auto& [row, line] : reader.taken)
                write(row, line, summary);
        }
        for (const bool done : done_) {
            if (!done) {
                ++summary.vanished;
                progress_.advance();
            }
        }
        progress_.finish();
        table_.finish();
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
                writer_.done_[static_cast<std::size_t>(row)] = true;
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
            if (readsSource(column.role))
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
        const int found = rows_.find(tpDoc, serie, numDoc,
                                     line[static_cast<std::size_t>(numLinhaColumn_)].toInt());
        if (found < 0 || done_[static_cast<std::size_t>(found)])
            return -1;
        return found;
    }

    void write(int row, const std::vector<Value>& source, Class9WriteSummary& summary) {
        const RowNumbers::Numbers numbers = numbers_.of(row);
        MovementLine& line = table_.newLine();
        for (const Planned& column : plan_) {
            const int target = column.target;
            switch (column.role) {
                case MovementRole::Account:
                    line.set(target, set_.value(row, W::Classe9));
                    break;
                case MovementRole::DocumentType:
                    line.set(target, target_.tpDoc);
                    break;
                case MovementRole::DocumentNumber:
                    line.set(target, numbers.numDoc);
                    break;
                case MovementRole::ThirdPartyKind:
                    line.set(target, 4);
                    break;
                case MovementRole::Series:
                    line.set(target, target_.serie);
                    break;
                case MovementRole::Journal:
                    line.set(target, target_.diario);
                    break;
                case MovementRole::JournalNumber:
                    line.set(target, numbers.numDiario);
                    break;
                case MovementRole::Line:
                    line.set(target, numbers.numLinha);
                    break;
                case MovementRole::Reference:
                    line.set(target, set_.value(row, W::Doc));
                    break;
                case MovementRole::Skip:
                    break;
                default:
                    line.set(target, source[static_cast<std::size_t>(column.source)]);
                    break;
            }
        }
        table_.write();
        ++summary.lines;
        progress_.advance();
    }

    DataAccess& company_;
    const Class9WorkingSet& set_;
    const Class9Target& target_;
    Class9Numbers last_;
    RowNumbers numbers_;
    std::vector<bool> done_;  // by row: its source line was taken (or it is known to be gone)
    RowsByKey rows_;
    ProgressSteps progress_;
    MovementWriter table_;

    // The table's columns as written: the role of each, and where a copied one is in a read.
    struct Planned {
        QString name;
        int target;
        MovementRole role;
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
    const RowsByKey rows(set);
    std::vector<bool> done(static_cast<std::size_t>(set.size()), false);
    ProgressSteps steps(progress, set.size());
    for (const KeyRange& range : keyRanges(set, rows, target.sliceRows)) {
        UpdatableRecordset lines = company.openUpdatable(QStringLiteral("MovCTB"), kRangeFilter,
                                                         rangeParams(range, target.year));
        for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
            const int found = rows.find(lines.field(QStringLiteral("TpDoc")).toText(),
                                        lines.field(QStringLiteral("Serie")).toText(),
                                        lines.field(QStringLiteral("NumDoc")).toInt(),
                                        lines.field(QStringLiteral("NumLinha")).toInt());
            if (found < 0 || done[static_cast<std::size_t>(found)])
                continue;
            done[static_cast<std::size_t>(found)] = true;
            updateLine(lines, set.value(found, W::Classe9), summary);
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
