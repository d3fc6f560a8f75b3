#include "class9/derivation.h"

#include <QHash>
#include <algorithm>
#include <functional>
#include <tuple>

#include "class9/working_set.h"
#include "core/key_pieces.h"
#include "core/message_box.h"
#include "data/data_access.h"
#include "data/day_month_year.h"
#include "data/db_error.h"

namespace agrimor {

namespace {

// The select list both loads share, then the date's sort value; the key `Doc.` is built from
// TpDoc, Ano, Serie, NumDoc and NumLinha here rather than in SQL, so the statement is the same on
// every database product.
QString selectList(const QString& class9Column) {
    return QStringLiteral(
               " SELECT m.Conta AS ContaG, %1 AS Classe9, m.DataDoc AS Data, m.Valor AS Valor,"
               " CASE m.DbCr WHEN 1 THEN 'D' WHEN 2 THEN 'C' END AS Sinal,"
               " m.Descr, m.Sector, m.RubOrc, m.CCustOrc, m.Custeio,"
               " m.TpDoc, m.Ano, m.Serie, m.NumDoc, m.NumLinha, m.Ref")
        .arg(class9Column);
}

// The general-accounting lines the derivation reads, of the year bound first.
const QString kSourceLines = QStringLiteral(
    " WHERE (m.Ano = ?) AND (m.Nat <= 2) AND m.Statac = 2 AND (SUBSTRING(m.Conta, 1, 1) <> '9')");

const QString kFrom = QStringLiteral(
    " FROM MovCTB AS m"
    " INNER JOIN POC AS p ON p.Conta = m.Conta AND p.Exercicio = m.Exercicio");

// The lines of one type and series with numbers from..to, read through the table's key.
const QString kPiece =
    QStringLiteral(" AND m.TpDoc = ? AND m.Serie = ? AND m.NumDoc >= ? AND m.NumDoc <= ?");

// Positions in the select list above.
enum Selected {
    SContaG,
    SClasse9,
    SData,
    SValor,
    SSinal,
    SDescr,
    SSector,
    SRubOrc,
    SCCustOrc,
    SCusteio,
    STpDoc,
    SAno,
    SSerie,
    SNumDoc,
    SNumLinha,
    SRef,
    SDateOrder,
    SelectedCount
};

bool isProjectCosting(const Value& custeio) {
    if (custeio.isNull())
        return false;
    const QString code = custeio.toText();
    return code == QLatin1String("P00631") || code == QLatin1String("P00763");
}

// The lines of a type and series (`group`, its place in the database's order of both) with
// numbers from..to.
struct Piece {
    std::size_t group = 0;
    Value tpDoc, serie;
    std::int64_t from = 0;
    std::int64_t to = 0;
    std::int64_t lines = 0;
};

// The statement a load reads (its WHERE clause included) and its parameters.
struct LoadQuery {
    QString where;
    Params params;
    QString dateOrder;  // the expression the lines are ordered by first

    Params pieceParams(const Piece& piece) const {
        Params result = params;
        result << piece.tpDoc << piece.serie << piece.from << piece.to;
        return result;
    }
};

// Appends `piece` to `pieces`, cut where it holds more than `pieceLines` lines: its numbers are
// counted in buckets of equal width (about four a piece), neighbouring buckets are joined up to
// `pieceLines` lines and a bucket that still holds more than twice that is cut the same way.
void cut(DataAccess& company, const LoadQuery& query, const Piece& piece, int pieceLines,
         std::vector<Piece>& pieces) {
    if (piece.lines <= pieceLines || piece.from >= piece.to) {
        pieces.push_back(piece);
        return;
    }
    const std::int64_t span = piece.to - piece.from + 1;
    const std::int64_t buckets = 4 * ((piece.lines + pieceLines - 1) / pieceLines);
    const std::int64_t width = (span + buckets - 1) / buckets;
    std::vector<Piece> counted;
    EachRow take([&](std::vector<Value>& values) {
        Piece bucket = piece;
        bucket.from = piece.from + values.at(0).toInt() * width;
        bucket.to = std::min(piece.to, bucket.from + width - 1);
        bucket.lines = values.at(1).toInt();
        counted.push_back(bucket);
    });
    Params params{piece.from, width};
    params << query.pieceParams(piece);
    company.queryEach(QStringLiteral("SELECT b, count(*) FROM (SELECT (m.NumDoc - ?) / ? AS b") +
                          kFrom + query.where + kPiece +
                          QStringLiteral(") AS x GROUP BY b ORDER BY b"),
                      params, take);
    joinBuckets(counted, pieceLines, width > 1, pieces,
                [&](const Piece& bucket) { cut(company, query, bucket, pieceLines, pieces); });
}

// A date's sort value as a key of a hash: the same value gives the same key.
QString dateKey(const Value& value) {
    return QString::number(static_cast<int>(value.kind())) + QLatin1Char(':') + value.toText();
}

// Appends each row of a load's pieces to the working set, with what orders it.
class Filler : public RowSink {
public:
    Filler(Class9WorkingSet& set, bool costingOverride, const QHash<QString, int>& dateRanks)
        : set_(set), costingOverride_(costingOverride), dateRanks_(dateRanks) {}

    void columns(const QList<ColumnInfo>& columns) override {
        if (columns.size() != SelectedCount)
            throw DbError(
                DbError::kInvalidColumn,
                QStringLiteral("A leitura dos movimentos devolveu %1 colunas").arg(columns.size()));
    }

    void setGroup(std::size_t group) { group_ = group; }

    bool row(std::vector<Value>& v) override {
        using W = Class9WorkingSet;
        const auto rank = dateRanks_.constFind(dateKey(v[SDateOrder]));
        if (rank == dateRanks_.cend())
            throw DbError(DbError::kInvalidColumn,
                          QString::fromUtf8("Os movimentos mudaram enquanto eram lidos; "
                                            "carregue-os de novo."));
        // The set's NumDoc and NumLinha columns refuse what 32 bits do not hold.
        keys_.push_back({*rank, static_cast<std::uint32_t>(group_),
                         static_cast<std::int32_t>(v[SNumDoc].toInt()),
                         static_cast<std::int32_t>(v[SNumLinha].toInt()),
                         static_cast<int>(keys_.size())});
        const int at = set_.appendRow();
        const auto put = [&](int column, const Value& value) { set_.setValue(at, column, value); };
        put(W::ContaG, v[SContaG]);
        put(W::Classe9, costingOverride_ && isProjectCosting(v[SCusteio])
                            ? Value(QStringLiteral("96112"))
                            : v[SClasse9]);
        put(W::Doc, sourceKey(v[STpDoc].toText(), v[SAno].toInt(), v[SSerie].toText(),
                              v[SNumDoc].toInt(), v[SNumLinha].toInt()));
        put(W::Data, v[SData].isNull() ? Value() : Value(dayMonthYear(v[SData].toDate())));
        put(W::Valor, v[SValor]);
        put(W::Sinal, v[SSinal]);
        put(W::Descritivo, v[SDescr]);
        put(W::Referencia, v[SRef]);
        put(W::Setor, v[SSector]);
        put(W::RubricaOrc, v[SRubOrc]);
        put(W::CCustorc, v[SCCustOrc]);
        put(W::Custeio, v[SCusteio]);
        put(W::TpDoc, v[STpDoc]);
        put(W::Serie, v[SSerie]);
        put(W::NumDoc, v[SNumDoc]);
        put(W::NumLinha, v[SNumLinha]);
        return true;
    }

    int rows() const { return static_cast<int>(keys_.size()); }

    // The rows in the order of one statement over all the pieces: by date, type and series (in
    // the database's order of each), number and line.
    std::vector<int> order() {
        std::stable_sort(keys_.begin(), keys_.end(), [](const Key& a, const Key& b) {
            return std::tie(a.date, a.group, a.numDoc, a.numLinha) <
                   std::tie(b.date, b.group, b.numDoc, b.numLinha);
        });
        std::vector<int> rows;
        rows.reserve(keys_.size());
        for (const Key& key : keys_)
            rows.push_back(key.row);
        keys_ = {};
        return rows;
    }

private:
    struct Key {
        int date;
        std::uint32_t group;
        std::int32_t numDoc;
        std::int32_t numLinha;
        int row;
    };

    Class9WorkingSet& set_;
    bool costingOverride_;
    const QHash<QString, int>& dateRanks_;
    std::size_t group_ = 0;
    std::vector<Key> keys_;
};

// Reads the lines of `query` into `set` a piece at a time: the document dates in the database's
// order, the types and series with their numbers and lines, the pieces of each (a type, a series,
// numbers from..to) through the table's key; the rows are then put in the order of the one
// statement that would have read them all.
int load(DataAccess& company, Prompter& prompter, const QString& class9Column,
         const LoadQuery& query, bool costingOverride, const QString& noRows, Class9WorkingSet& set,
         int pieceLines) {
    set.clear();
    QHash<QString, int> dateRanks;
    EachRow date([&](std::vector<Value>& values) {
        const QString key = dateKey(values.at(0));
        if (!dateRanks.contains(key))
            dateRanks.insert(key, static_cast<int>(dateRanks.size()));
    });
    std::vector<Piece> pieces;
    std::size_t groups = 0;
    EachRow group([&](std::vector<Value>& values) {
        const Piece whole{groups++,
                          values.at(0),
                          values.at(1),
                          values.at(2).toInt(),
                          values.at(3).toInt(),
                          values.at(4).toInt()};
        pieces.push_back(whole);
    });
    Filler filler(set, costingOverride, dateRanks);
    try {
        company.queryEach(QStringLiteral(" SELECT ") + query.dateOrder + kFrom + query.where +
                              QStringLiteral(" GROUP BY ") + query.dateOrder +
                              QStringLiteral(" ORDER BY ") + query.dateOrder,
                          query.params, date);
        company.queryEach(
            QStringLiteral(" SELECT m.TpDoc, m.Serie, min(m.NumDoc), max(m.NumDoc), count(*)") +
                kFrom + query.where +
                QStringLiteral(" GROUP BY m.TpDoc, m.Serie ORDER BY m.TpDoc, m.Serie"),
            query.params, group);
        std::vector<Piece> cutPieces;
        for (const Piece& whole : pieces)
            cut(company, query, whole, std::max(pieceLines, 1), cutPieces);
        const QString select = selectList(class9Column) + QStringLiteral(", ") + query.dateOrder +
                               kFrom + query.where + kPiece +
                               QStringLiteral(" ORDER BY m.NumDoc, m.NumLinha");
        const MemoryTable::BulkLoad bulk(set);
        for (const Piece& piece : cutPieces) {
            filler.setGroup(piece.group);
            company.queryEach(select, query.pieceParams(piece), filler);
        }
        set.arrange(filler.order());
    } catch (...) {
        set.clear();
        throw;
    }
    if (set.size() == 0)
        inform(prompter, noRows);
    return set.size();
}

}  // namespace

int deriveClass9Lines(DataAccess& company, Prompter& prompter, int year, int month,
                      Class9WorkingSet& set, int pieceLines) {
    const LoadQuery query{kSourceLines + QStringLiteral(" AND (month(m.DataDoc) = ?)"),
                          {year, month},
                          company.dialect().dateOrder(QStringLiteral("m.DataDoc"))};
    return load(company, prompter,
                QStringLiteral("CASE m.DbCr WHEN 1 THEN p.cl9dd WHEN 2 THEN p.cl9cc END"), query,
                true, kNoMovementsToIntegrate, set, pieceLines);
}

int reloadClass9Lines(DataAccess& company, Prompter& prompter, int year, int month,
                      const QString& tpDoc, Class9WorkingSet& set, int pieceLines) {
    const LoadQuery query{QStringLiteral(" WHERE m.Ano = ? AND month(m.DataDoc) = ?"
                                         " AND m.TpDoc = ? AND m.Conta LIKE '9%'"),
                          {year, month, tpDoc},
                          company.dialect().dateOrder(QStringLiteral("m.DataDoc"))};
    return load(company, prompter, QStringLiteral("m.Conta"), query, false, kNoClass9Movements, set,
                pieceLines);
}

}  // namespace agrimor

namespace agrimor {

MonthCounts class9SourceLinesByMonth(DataAccess& company, int year) {
    MonthCountsSink counts;
    company.queryEach(QStringLiteral(" SELECT month(m.DataDoc) AS Mes, count(*) AS Linhas") +
                          kFrom + kSourceLines + QStringLiteral(" GROUP BY month(m.DataDoc)"),
                      {year}, counts);
    return counts.counts;
}

}  // namespace agrimor
