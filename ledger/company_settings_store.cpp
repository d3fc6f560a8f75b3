#include "ledger/company_settings_store.h"

#include "data/data_access.h"

namespace agrimor {

namespace {

const QString kTable = QStringLiteral("zeb_CNS_DadosIniciais");

std::optional<QString> text(const Recordset& row, const QString& column) {
    const Value& value = row.field(column);
    return value.isNull() ? std::nullopt : std::optional<QString>(value.toText());
}

Value stored(const std::optional<QString>& value) {
    return value ? Value(*value) : Value();
}

}  // namespace

std::optional<CompanySettingsRow> readCompanySettingsRow(DataAccess& consolidated, int bd) {
    const Recordset row = consolidated.openReadOnly(
        QStringLiteral("select * from zeb_CNS_DadosIniciais where BD=?"), {bd});
    if (row.isEmpty())
        return std::nullopt;
    CompanySettingsRow settings;
    settings.setor = text(row, QStringLiteral("Setor"));
    settings.tpDoc = text(row, QStringLiteral("TpDoc"));
    settings.serie = text(row, QStringLiteral("Serie"));
    if (const Value& dataMov = row.field(QStringLiteral("DataMov")); !dataMov.isNull())
        settings.dataMov = dataMov.toDateTime();
    settings.ultimoMes = text(row, QStringLiteral("UltimoMes"));
    settings.moeda = text(row, QStringLiteral("Moeda"));
    settings.contaArred = text(row, QStringLiteral("ContaArred"));
    if (const Value& ateMes = row.field(QStringLiteral("AteMes")); !ateMes.isNull())
        settings.ateMes = static_cast<int>(ateMes.toInt());
    settings.tpDocCL9 = text(row, QStringLiteral("TpDocCL9"));
    settings.serieCL9 = text(row, QStringLiteral("SerieCL9"));
    settings.diarioCL9 = text(row, QStringLiteral("DiarioCL9"));
    return settings;
}

void storeCompanySettingsRow(DataAccess& consolidated, int bd, const CompanySettingsRow& row,
                             SettingsColumns columns) {
    const bool consolidation = columns == SettingsColumns::Consolidation;
    UpdatableRecordset target = consolidated.openUpdatable(kTable, QStringLiteral("BD=?"), {bd});
    if (target.isEmpty()) {
        target.addNew();
        target.setField(QStringLiteral("BD"), bd);
        // The NOT NULL columns the other screen writes.
        if (consolidation)
            target.setField(QStringLiteral("SerieCL9"), QString());
        else
            target.setField(QStringLiteral("Serie"), QString());
    }
    if (consolidation) {
        target.setField(QStringLiteral("Setor"), stored(row.setor));
        target.setField(QStringLiteral("TpDoc"), stored(row.tpDoc));
        target.setField(QStringLiteral("Serie"), stored(row.serie));
        target.setField(QStringLiteral("UltimoMes"), stored(row.ultimoMes));
        target.setField(QStringLiteral("DataMov"), row.dataMov ? Value(*row.dataMov) : Value());
        target.setField(QStringLiteral("Moeda"), stored(row.moeda));
        target.setField(QStringLiteral("ContaArred"), stored(row.contaArred));
        target.setField(QStringLiteral("AteMes"), row.ateMes ? Value(*row.ateMes) : Value());
    } else {
        target.setField(QStringLiteral("TpDocCL9"), stored(row.tpDocCL9));
        target.setField(QStringLiteral("SerieCL9"), stored(row.serieCL9));
        target.setField(QStringLiteral("DiarioCL9"), stored(row.diarioCL9));
    }
    target.update();
    consolidated.engine().flush();
}

void storeLastMonthProcessed(DataAccess& consolidated, int bd, const QString& month) {
    UpdatableRecordset target = consolidated.openUpdatable(kTable, QStringLiteral("BD=?"), {bd});
    if (target.isEmpty())
        return;
    target.moveFirst();
    target.setField(QStringLiteral("UltimoMes"), month);
    target.update();
}

}  // namespace agrimor
