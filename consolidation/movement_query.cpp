#include "consolidation/movement_query.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "core/key_pieces.h"
#include "data/data_access.h"

namespace agrimor {

namespace {

// The join keeps the lines as the ERP's own listing has them; only MovCTB's columns are read.
const QString kClass9Lines = QStringLiteral(
    " from MovCTB as m Left outer join Poc as p on p.conta=m.conta and "
    "p.exercicio=m.ano WHERE       (m.CONTA LIKE '9%')  and");

QString fromWhere(bool cumulative) {
    return kClass9Lines + periodFilterAnd(cumulative) + QStringLiteral(" (m.ANO = ? )");
}

const QString kOrder =
    QStringLiteral(" order by m.Tpdoc,m.Numdoc,m.Ano,m.serie,m.Numlinha,m.Conta");

// The lines of one document type with numbers from..to.
const QString kRange = QStringLiteral(" and m.TpDoc = ? and m.NumDoc >= ? and m.NumDoc <= ?");

struct Range {
    Value tpDoc;
    std::int64_t from = 0;
    std::int64_t to = 0;
    std::int64_t lines = 0;
};

Params rangeParams(const Period& period, const Range& range) {
    Params params = movementParams(period);
    params << range.tpDoc << range.from << range.to;
    return params;
}

// Passes the rows of several statements on to one sink as if they were one result, without the
// document number each statement reads first.
class Joined : public RowSink {
public:
    explicit Joined(RowSink& sink) : sink_(sink) {}
    void columns(const QList<ColumnInfo>& columns) override {
        if (!described_)
            sink_.columns(columns.mid(1));
        described_ = true;
    }
    bool row(std::vector<Value>& values) override {
        values.erase(values.begin());
        stopped_ = !sink_.row(values);
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    RowSink& sink_;
    bool described_ = false;
    bool stopped_ = false;
};

// Keeps the rows of one statement.
class Held : public RowSink {
public:
    Held(Joined& joined, std::vector<std::vector<Value>>& rows) : joined_(joined), rows_(rows) {}
    void columns(const QList<ColumnInfo>& columns) override { joined_.columns(columns); }
    bool row(std::vector<Value>& values) override {
        rows_.push_back(std::move(values));
        return true;
    }

private:
    Joined& joined_;
    std::vector<std::vector<Value>>& rows_;
};

// Hands the rows held for each series of a range (each in the query's order) to `joined` in the
// order of one query over all of them: by number, then series. False when the sink stopped.
bool merge(std::vector<std::vector<std::vector<Value>>>& held, Joined& joined) {
    std::vector<std::size_t> next(held.size(), 0);
    for (;;) {
        std::optional<std::int64_t> number;
        for (std::size_t s = 0; s < held.size(); ++s) {
            if (next[s] < held[s].size()) {
                const std::int64_t n = held[s][next[s]].front().toInt();
                number = number ? std::min(*number, n) : n;
            }
        }
        if (!number)
            return true;
        for (std::size_t s = 0; s < held.size(); ++s) {
            while (next[s] < held[s].size() && held[s][next[s]].front().toInt() == *number) {
                if (!joined.row(held[s][next[s]++]))
                    return false;
            }
        }
    }
}

// Appends `range` to `ranges`, cut where it holds more than `pieceLines` lines: the range's
// numbers are counted in buckets of equal width (about four buckets a piece, so one statement
// returns a few hundred rows whatever the size), neighbouring buckets are joined up to
// `pieceLines` lines, and a bucket that still holds more than twice that is cut the same way.
// A single document number is never cut.
void cut(DataAccess& company, const Period& period, const Range& range, int pieceLines,
         std::vector<Range>& ranges) {
    if (range.lines <= pieceLines || range.from >= range.to) {
        ranges.push_back(range);
        return;
    }
    const std::int64_t span = range.to - range.from + 1;
    const std::int64_t buckets = 4 * ((range.lines + pieceLines - 1) / pieceLines);
    const std::int64_t width = (span + buckets - 1) / buckets;
    std::vector<Range> counted;
    EachRow take([&](std::vector<Value>& values) {
        const std::int64_t first = range.from + values.at(0).toInt() * width;
        counted.push_back(
            {range.tpDoc, first, std::min(range.to, first + width - 1), values.at(1).toInt()});
    });
    Params params{range.from, width};
    params << rangeParams(period, range);
    company.queryEach(QStringLiteral("select b, count(*) from (select (m.NumDoc - ?) / ? as b") +
                          fromWhere(period.cumulative) + kRange +
                          QStringLiteral(") as x group by b order by b"),
                      params, take);

    joinBuckets(counted, pieceLines, width > 1, ranges,
                [&](const Range& bucket) { cut(company, period, bucket, pieceLines, ranges); });
}

}  // namespace

QString periodFilter(bool cumulative) {
    return cumulative ? QStringLiteral(" Mes>=1  AND (MES <= ?) ")
                      : QStringLiteral(" (MES >= ?) AND (MES <= ?) ");
}

QString periodFilterAnd(bool cumulative) {
    return periodFilter(cumulative) + QStringLiteral("AND");
}

Params periodParams(const Period& period) {
    if (period.cumulative)
        return {period.month};
    return {period.month, period.month};
}

QString movementAccountCountsQuery(bool cumulative) {
    return QStringLiteral(" select m.Conta, count(*) as Linhas ") + fromWhere(cumulative) +
           QStringLiteral(" group by m.Conta");
}

QString yearMovementAccountCountsQuery() {
    return QStringLiteral(" select m.Mes, m.Conta, count(*) as Linhas ") + kClass9Lines +
           QStringLiteral(" (m.ANO = ? ) group by m.Mes, m.Conta");
}

QString yearMovementAccountsQuery() {
    return QStringLiteral(" select distinct m.Conta ") + kClass9Lines +
           QStringLiteral(" (m.ANO = ? )");
}

Params movementParams(const Period& period) {
    Params params = periodParams(period);
    params << period.year;
    return params;
}

void readMovements(DataAccess& company, const Period& period, const QString& columns, RowSink& sink,
                   int pieceLines) {
    std::vector<Range> types;
    EachRow take([&](std::vector<Value>& values) {
        types.push_back(
            {values.at(0), values.at(1).toInt(), values.at(2).toInt(), values.at(3).toInt()});
    });
    company.queryEach(QStringLiteral(" select m.TpDoc, min(m.NumDoc), max(m.NumDoc), count(*) ") +
                          fromWhere(period.cumulative) +
                          QStringLiteral(" group by m.TpDoc order by m.TpDoc"),
                      movementParams(period), take);
    // Through the table's key (year, type, series, number), each series of a type is read on its
    // own: a statement over every series of a type would go through all of the type's lines
    // for each range. Ranges of a type with several series are held whole and merged back
    // into the order of the query, by number, then series in the order the database sorts them.
    const QString select = QStringLiteral(" select m.NumDoc, ") + columns +
                           fromWhere(period.cumulative) + kRange +
                           QStringLiteral(" and m.Serie = ?") + kOrder;
    Joined joined(sink);
    pieceLines = std::max(pieceLines, 1);
    for (const Range& type : types) {
        std::vector<Value> series;
        EachRow seriesRow([&](std::vector<Value>& values) { series.push_back(values.at(0)); });
        Params params = movementParams(period);
        params << type.tpDoc;
        company.queryEach(QStringLiteral(" select m.Serie ") + fromWhere(period.cumulative) +
                              QStringLiteral(" and m.TpDoc = ? group by m.Serie order by m.Serie"),
                          params, seriesRow);
        std::vector<Range> ranges;
        cut(company, period, type, pieceLines, ranges);
        for (const Range& range : ranges) {
            if (series.size() == 1) {
                company.queryEach(select, rangeParams(period, range) << series.front(), joined);
                if (joined.stopped())
                    return;
                continue;
            }
            std::vector<std::vector<std::vector<Value>>> held(series.size());
            for (std::size_t s = 0; s < series.size(); ++s) {
                Held rows(joined, held[s]);
                company.queryEach(select, rangeParams(period, range) << series[s], rows);
            }
            if (!merge(held, joined))
                return;
        }
    }
}

}  // namespace agrimor
