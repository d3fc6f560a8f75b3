#include "consolidation/company_settings.h"

#include "consolidation/consolidation_error.h"
#include "consolidation/processing_input.h"
#include "data/data_access.h"

namespace agrimor {

namespace {

const Value& required(const Recordset& row, const QString& column, int bd) {
    const Value& value = row.field(column);
    if (value.isNull())
        throw ConsolidationError(
            QStringLiteral("O campo %1 dos dados iniciais da empresa %2 não está preenchido (nulo)")
                .arg(column)
                .arg(bd));
    return value;
}

}  // namespace

CompanySettings readCompanySettings(DataAccess& db, int bd) {
    const Recordset row = db.openReadOnly(
        QStringLiteral("Select Setor,TpDoc,Serie,DataMov,Moeda,ContaArred,AteMes from "
                       "zeb_CNS_DadosIniciais where BD=?"),
        {bd});
    if (row.isEmpty())
        throw ConsolidationError(
            QStringLiteral("Não existem dados iniciais para a empresa %1 (zeb_CNS_DadosIniciais)")
                .arg(bd));
    CompanySettings settings;
    settings.setor = required(row, QStringLiteral("Setor"), bd).toText();
    settings.tpDoc = required(row, QStringLiteral("TpDoc"), bd).toText();
    settings.serie = required(row, QStringLiteral("Serie"), bd).toText();
    settings.dataMov = required(row, QStringLiteral("DataMov"), bd).toDateTime();
    settings.moeda = required(row, QStringLiteral("Moeda"), bd).toText();
    settings.contaArred = required(row, QStringLiteral("ContaArred"), bd).toText();
    settings.ateMes = static_cast<int>(required(row, QStringLiteral("AteMes"), bd).toInt());
    return settings;
}

}  // namespace agrimor
