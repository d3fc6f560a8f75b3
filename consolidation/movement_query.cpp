#include "consolidation/movement_query.h"

namespace agrimor {

namespace {

// The join keeps the lines as the ERP's own listing has them; only MovCTB's columns are read.
QString fromWhere(bool cumulative) {
    return QStringLiteral(
               " from MovCTB as m Left outer join Poc as p on p.conta=m.conta and "
               "p.exercicio=m.ano WHERE       (m.CONTA LIKE '9%')  and") +
           periodFilterAnd(cumulative) + QStringLiteral(" (m.ANO = ? )");
}

const QString kOrder =
    QStringLiteral(" order by m.Tpdoc,m.Numdoc,m.Ano,m.serie,m.Numlinha,m.Conta");

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

QString movementQuery(bool cumulative) {
    return QStringLiteral(" select m.* ") + fromWhere(cumulative) + kOrder;
}

QString movementAccountsQuery(bool cumulative) {
    return QStringLiteral(" select m.Conta ") + fromWhere(cumulative) + kOrder;
}

QString movementAccountCountsQuery(bool cumulative) {
    return QStringLiteral(" select m.Conta, count(*) as Linhas ") + fromWhere(cumulative) +
           QStringLiteral(" group by m.Conta");
}

Params movementParams(const Period& period) {
    Params params = periodParams(period);
    params << period.year;
    return params;
}

}  // namespace agrimor
