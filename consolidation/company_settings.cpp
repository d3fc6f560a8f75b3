#include "consolidation/company_settings.h"

#include "consolidation/consolidation_error.h"
#include "ledger/company_settings_store.h"

namespace agrimor {

namespace {

// The run needs every column: a null one is refused with its name.
template <typename T>
const T& required(const std::optional<T>& value, const char* column, int bd) {
    if (!value)
        throw ConsolidationError(
            QStringLiteral("O campo %1 dos dados iniciais da empresa %2 não está preenchido (nulo)")
                .arg(QLatin1String(column))
                .arg(bd));
    return *value;
}

}  // namespace

CompanySettings readCompanySettings(DataAccess& db, int bd) {
    return companySettingsOf(readCompanySettingsRow(db, bd), bd);
}

CompanySettings companySettingsOf(const std::optional<CompanySettingsRow>& row, int bd) {
    if (!row)
        throw ConsolidationError(
            QStringLiteral("Não existem dados iniciais para a empresa %1 (zeb_CNS_DadosIniciais)")
                .arg(bd));
    CompanySettings settings;
    settings.setor = required(row->setor, "Setor", bd);
    settings.tpDoc = required(row->tpDoc, "TpDoc", bd);
    settings.serie = required(row->serie, "Serie", bd);
    settings.dataMov = required(row->dataMov, "DataMov", bd);
    settings.moeda = required(row->moeda, "Moeda", bd);
    settings.contaArred = required(row->contaArred, "ContaArred", bd);
    settings.ateMes = required(row->ateMes, "AteMes", bd);
    return settings;
}

}  // namespace agrimor
