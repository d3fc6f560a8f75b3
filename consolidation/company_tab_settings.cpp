#include "consolidation/company_tab_settings.h"

#include "ledger/company_settings_store.h"

namespace agrimor {

std::optional<CompanyTabSettings> readCompanyTab(DataAccess& db, int bd) {
    const std::optional<CompanySettingsRow> row = readCompanySettingsRow(db, bd);
    if (!row)
        return std::nullopt;
    CompanyTabSettings settings;
    settings.setor = row->setor.value_or(QString());
    settings.tpDoc = row->tpDoc.value_or(QString());
    settings.serie = row->serie.value_or(QString());
    settings.dataMov = row->dataMov.value_or(QDateTime()).date();
    settings.ultimoMes = row->ultimoMes.value_or(QString());
    settings.moeda = row->moeda.value_or(QString());
    settings.contaArred = row->contaArred.value_or(QString());
    settings.ateMes = row->ateMes.value_or(0) != 0;
    return settings;
}

void storeCompanyTab(DataAccess& db, int bd, const CompanyTabSettings& settings) {
    CompanySettingsRow row;
    row.setor = settings.setor;
    row.tpDoc = settings.tpDoc;
    row.serie = settings.serie.isEmpty() ? QStringLiteral("0") : settings.serie;
    row.ultimoMes = settings.ultimoMes;
    if (settings.dataMov.isValid())
        row.dataMov = QDateTime(settings.dataMov, QTime(0, 0), Qt::UTC);
    row.moeda = settings.moeda;
    row.contaArred = settings.contaArred;
    row.ateMes = settings.ateMes ? 1 : 0;
    storeCompanySettingsRow(db, bd, row, SettingsColumns::Consolidation);
}

}  // namespace agrimor
