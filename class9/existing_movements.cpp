#include "class9/existing_movements.h"

#include "data/data_access.h"

namespace agrimor {

namespace {

const QString kMonthClass9 =
    QStringLiteral(" where Ano=? and month(DataDoc)=? and Conta like '9%' and TpDoc");

// Stops the reading at the first row: an existence test without TOP, which not every database
// product understands.
class FirstRow : public RowSink {
public:
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>&) override {
        found = true;
        return false;
    }
    bool found = false;
};

bool exists(DataAccess& company, const QString& comparison, int year, int month,
            const QString& tpDoc) {
    FirstRow first;
    company.queryEach(QStringLiteral("Select NumDoc from MovCTB") + kMonthClass9 + comparison,
                      {year, month, tpDoc}, first);
    return first.found;
}

}  // namespace

bool hasErpClass9Lines(DataAccess& company, int year, int month, const QString& tpDoc) {
    return exists(company, QStringLiteral("<>?"), year, month, tpDoc);
}

bool hasIntegratedClass9Lines(DataAccess& company, int year, int month, const QString& tpDoc) {
    return exists(company, QStringLiteral("=?"), year, month, tpDoc);
}

std::int64_t deleteClass9Lines(DataAccess& company, int year, int month, const QString& tpDoc,
                               Class9Kind kind) {
    const QString comparison =
        kind == Class9Kind::OtherTypes ? QStringLiteral("<>?") : QStringLiteral("=?");
    return company.execute(QStringLiteral("Delete from MovCTB") + kMonthClass9 + comparison,
                           {year, month, tpDoc});
}

}  // namespace agrimor

namespace agrimor {

MonthCounts integratedClass9LinesByMonth(DataAccess& company, int year, const QString& tpDoc) {
    MonthCountsSink counts;
    company.queryEach(QStringLiteral("Select month(DataDoc) as Mes, count(*) as Linhas from MovCTB"
                                     " where Ano=? and Conta like '9%' and TpDoc=?"
                                     " group by month(DataDoc)"),
                      {year, tpDoc}, counts);
    return counts.counts;
}

}  // namespace agrimor
