#include "class9/class9_writer.h"

#include <QHash>
#include <algorithm>
#include <limits>
#include <vector>

#include "class9/class9_error.h"
#include "class9/working_set.h"
#include "data/data_access.h"
#include "data/db_error.h"

namespace agrimor {

namespace {

using W = Class9WorkingSet;

int sliceCount(int rows, int sliceRows) {
    sliceRows = std::max(1, sliceRows);
    return std::max(1, (rows + sliceRows - 1) / sliceRows);
}

// Text as the database's default collation compares it: case and trailing spaces ignored. Rows
// are matched under it, as the statements of one row each would have found them.
QString folded(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end).toUpper();
}

QString matchKey(const QString& tpDoc, const QString& serie, std::int64_t numDoc,
                 std::int64_t numLinha) {
    const QChar separator(0x1f);
    return folded(tpDoc) + separator + folded(serie) + separator + QString::number(numDoc) +
           separator + QString::number(numLinha);
}

QString rowKey(const Class9WorkingSet& set, int row) {
    return matchKey(set.value(row, W::TpDoc).toText(), set.value(row, W::Serie).toText(),
                    set.value(row, W::NumDoc).toInt(), set.value(row, W::NumLinha).toInt());
}

// The grid rows by the key of the line each stands for. Two rows for one line: the first wins,
// the other counts as gone.
QHash<QString, int> rowsByKey(const Class9WorkingSet& set) {
    QHash<QString, int> rows;
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

// The month's MovCTB lines in slices by document number; the same slices for every query.
const QString kSliceFilter = QStringLiteral("Ano=? and month(DataDoc)=? and abs(NumDoc % ?)=?");
Params sliceParams(const Class9Target& target, int slices, int slice) {
    return {target.year, target.month, slices, slice};
}
// One line by its key, wherever its date now falls.
const QString kLineFilter =
    QStringLiteral("Ano=? and Serie=? and NumDoc=? and TpDoc=? and NumLinha=?");
Params lineParams(const Class9WorkingSet& set, int row, int year) {
    return {year, set.value(row, W::Serie), set.value(row, W::NumDoc), set.value(row, W::TpDoc),
            set.value(row, W::NumLinha)};
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

class Writer {
public:
    Writer(DataAccess& company, const Class9WorkingSet& set, const Class9Target& target,
           const Class9Numbers& last, const Class9Progress& progress)
        : company_(company),
          set_(set),
          target_(target),
          last_(last),
          targetType_(folded(target.tpDoc)),
          targetSeries_(folded(target.serie)),
          numbers_(numberRows(set, last)),
          rows_(rowsByKey(set)),
          progress_(progress, set.size()),
          table_(company.openUpdatable(QStringLiteral("MovCTB"), QStringLiteral("Ano=?"), {-1})) {}

    Class9WriteSummary run() {
        Class9WriteSummary summary;
        if (!numbers_.empty()) {
            summary.firstDocument = numbers_.front().numDoc;
            summary.documents = static_cast<int>(numbers_.back().numDoc - last_.numDoc);
        }
        const int slices = sliceCount(set_.size(), target_.sliceRows);
        for (int slice = 0; slice < slices; ++slice) {
            Slice reader(*this);
            company_.queryEach(QStringLiteral("Select * from MovCTB where ") + kSliceFilter,
                               sliceParams(target_, slices, slice), reader);
            for (auto& [row, line] : reader.taken)
                write(row, line, summary);
        }
        // A line no longer in the month (its date changed since the load) is looked for by key.
        for (int row = 0; row < set_.size(); ++row) {
            if (numbers_[static_cast<std::size_t>(row)].done)
                continue;
            Slice reader(*this, row);
            company_.queryEach(QStringLiteral("Select * from MovCTB where ") + kLineFilter,
                               lineParams(set_, row, target_.year), reader);
            if (reader.taken.empty()) {
                numbers_[static_cast<std::size_t>(row)].done = true;
                ++summary.vanished;
                progress_.advance();
            }
            for (auto& [taken, line] : reader.taken)
                write(taken, line, summary);
        }
        progress_.finish();
        return summary;
    }

private:
    // Keeps the source lines of one read that grid rows are waiting for.
    class Slice : public RowSink {
    public:
        explicit Slice(Writer& writer, int only = -1) : writer_(writer), only_(only) {}

        void columns(const QList<ColumnInfo>& columns) override { writer_.learn(columns); }

        bool row(std::vector<Value>& line) override {
            const int row = writer_.waitingRow(line);
            if (row >= 0 && (only_ < 0 || row == only_)) {
                writer_.numbers_[static_cast<std::size_t>(row)].done = true;
                taken.emplace_back(row, std::move(line));
            }
            return true;
        }

        std::vector<std::pair<int, std::vector<Value>>> taken;

    private:
        Writer& writer_;
        int only_;
    };

    void learn(const QList<ColumnInfo>& columns) {
        if (!names_.isEmpty())
            return;
        for (const ColumnInfo& column : columns) {
            names_ << column.name;
            roles_.push_back(roleOf(column.name));
        }
        const auto require = [&](const char* name) {
            for (qsizetype c = 0; c < names_.size(); ++c)
                if (names_.at(c).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                    return static_cast<int>(c);
            throw DbError(
                DbError::kInvalidColumn,
                QStringLiteral("O campo '%1' não existe em MovCTB").arg(QLatin1String(name)));
        };
        tpDocColumn_ = require("TpDoc");
        serieColumn_ = require("Serie");
        numDocColumn_ = require("NumDoc");
        numLinhaColumn_ = require("NumLinha");
    }

    // The grid row still waiting for this line; -1 for a line no row wants, and for the lines
    // this confirmation has just written (same type and series, a number above the last one).
    int waitingRow(const std::vector<Value>& line) const {
        const QString tpDoc = line[static_cast<std::size_t>(tpDocColumn_)].toText();
        const QString serie = line[static_cast<std::size_t>(serieColumn_)].toText();
        const std::int64_t numDoc = line[static_cast<std::size_t>(numDocColumn_)].toInt();
        if (numDoc > last_.numDoc && folded(tpDoc) == targetType_ && folded(serie) == targetSeries_)
            return -1;
        const auto found = rows_.constFind(matchKey(
            tpDoc, serie, numDoc, line[static_cast<std::size_t>(numLinhaColumn_)].toInt()));
        if (found == rows_.constEnd() || numbers_[static_cast<std::size_t>(*found)].done)
            return -1;
        return *found;
    }

    void write(int row, const std::vector<Value>& source, Class9WriteSummary& summary) {
        const Numbered& numbers = numbers_[static_cast<std::size_t>(row)];
        table_.addNew();
        for (std::size_t c = 0; c < source.size(); ++c) {
            const QString& name = names_.at(static_cast<qsizetype>(c));
            switch (roles_[c]) {
                case Role::Copy:
                    table_.setField(name, source[c]);
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
    QString targetType_;
    QString targetSeries_;
    std::vector<Numbered> numbers_;
    QHash<QString, int> rows_;
    ProgressSteps progress_;
    UpdatableRecordset table_;

    QStringList names_;
    std::vector<Role> roles_;
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

Class9Numbers lerNumeradores(DataAccess& company, int year, const QString& tpDoc,
                             const QString& serie, const QString& diario) {
    Class9Numbers numbers;
    const Recordset documents = company.openReadOnly(
        QStringLiteral("Select coalesce(Max(NumDoc),0) as NumDoc from MovCTB where Ano=? and "
                       "TpDoc=? and Serie=?"),
        {year, tpDoc, serie});
    if (!documents.isEmpty())
        numbers.numDoc = documents.field(QStringLiteral("NumDoc")).toInt();
    const Recordset journals = company.openReadOnly(
        QStringLiteral("Select coalesce(Max(NumDiari),0) as NumDiario from MovCTB where Ano=? "
                       "and Diario=?"),
        {year, diario});
    if (!journals.isEmpty())
        numbers.numDiario = journals.field(QStringLiteral("NumDiario")).toInt();
    return numbers;
}

Class9WriteSummary gravarClasse9(DataAccess& company, const Class9WorkingSet& set,
                                 const Class9Target& target, const Class9Progress& progress) {
    const Class9Numbers last =
        lerNumeradores(company, target.year, target.tpDoc, target.serie, target.diario);
    Writer writer(company, set, target, last, progress);
    return writer.run();
}

Class9UpdateSummary atualizarClasse9(DataAccess& company, const Class9WorkingSet& set,
                                     const Class9Target& target, const Class9Progress& progress) {
    Class9UpdateSummary summary;
    const QHash<QString, int> rows = rowsByKey(set);
    std::vector<bool> done(static_cast<std::size_t>(set.size()), false);
    ProgressSteps steps(progress, set.size());
    const int slices = sliceCount(set.size(), target.sliceRows);
    for (int slice = 0; slice < slices; ++slice) {
        Params params{target.year, target.month, target.tpDoc};
        params << slices << slice;
        UpdatableRecordset lines = company.openUpdatable(
            QStringLiteral("MovCTB"),
            QStringLiteral("Ano=? and month(DataDoc)=? and TpDoc=? and abs(NumDoc % ?)=?"), params);
        for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
            const auto found =
                rows.constFind(matchKey(lines.field(QStringLiteral("TpDoc")).toText(),
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
    // A line whose date has moved out of the month since the reload is looked for by key.
    for (int row = 0; row < set.size(); ++row) {
        if (done[static_cast<std::size_t>(row)])
            continue;
        UpdatableRecordset line = company.openUpdatable(QStringLiteral("MovCTB"), kLineFilter,
                                                        lineParams(set, row, target.year));
        if (line.isEmpty())
            ++summary.vanished;
        else
            updateLine(line, set.value(row, W::Classe9), summary);
        steps.advance();
    }
    steps.finish();
    return summary;
}

}  // namespace agrimor
