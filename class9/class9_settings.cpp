#include "class9/class9_settings.h"

#include "data/data_access.h"
#include "ledger/company_settings_store.h"

namespace agrimor {

Class9Settings readClass9Settings(DataAccess& consolidated, int bd) {
    const std::optional<CompanySettingsRow> row = readCompanySettingsRow(consolidated, bd);
    if (!row)
        return {};
    return {row->tpDocCL9.value_or(QString()), row->serieCL9.value_or(QString()),
            row->diarioCL9.value_or(QString())};
}

void storeClass9Settings(DataAccess& consolidated, int bd, const Class9Settings& settings) {
    Transaction transaction(consolidated);
    CompanySettingsRow row;
    row.tpDocCL9 = settings.tpDoc;
    row.serieCL9 = settings.serie;
    row.diarioCL9 = settings.diario;
    storeCompanySettingsRow(consolidated, bd, row, SettingsColumns::Class9);
    transaction.commit();
}

}  // namespace agrimor
