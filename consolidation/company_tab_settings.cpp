#include "consolidation/company_tab_settings.h"

#include "data/data_access.h"

namespace agrimor {

namespace {

const QString kTable = QStringLiteral("zeb_CNS_DadosIniciais");

}  // namespace

std::optional<CompanyTabSettings> readCompanyTab(DataAccess& db, int bd) {
    const Recordset row =
        db.openReadOnly(QStringLiteral("select * from zeb_CNS_DadosIniciais where BD=?"), {bd});
    if (row.isEmpty())
        return std::nullopt;
    CompanyTabSettings settings;
    settings.setor = row.field(QStringLiteral("Setor")).toText();
    settings.tpDoc = row.field(QStringLiteral("TpDoc")).toText();
    settings.serie = row.field(QStringLiteral("Serie")).toText();
    settings.dataMov = row.field(QStringLiteral("DataMov")).toDate();
    settings.ultimoMes = row.field(QStringLiteral("UltimoMes")).toText();
    settings.moeda = row.field(QStringLiteral("Moeda")).toText();
    settings.contaArred = row.field(QStringLiteral("ContaArred")).toText();
    settings.ateMes = row.field(QStringLiteral("AteMes")).toInt() != 0;
    return settings;
}

void storeCompanyTab(DataAccess& db, int bd, const CompanyTabSettings& settings) {
    UpdatableRecordset row = db.openUpdatable(kTable, QStringLiteral("BD=?"), {bd});
    if (row.isEmpty()) {
        row.addNew();
        row.setField(QStringLiteral("BD"), bd);
        // The class-9 series is NOT NULL once the schema upgrade has retyped it, and has no
        // default: a new row gets it empty, for the class-9 screen to fill.
        row.setField(QStringLiteral("SerieCL9"), QString());
    }
    row.setField(QStringLiteral("Setor"), settings.setor);
    row.setField(QStringLiteral("TpDoc"), settings.tpDoc);
    row.setField(QStringLiteral("Serie"),
                 settings.serie.isEmpty() ? QStringLiteral("0") : settings.serie);
    row.setField(QStringLiteral("UltimoMes"), settings.ultimoMes);
    row.setField(QStringLiteral("DataMov"),
                 settings.dataMov.isValid() ? Value(settings.dataMov) : Value());
    row.setField(QStringLiteral("Moeda"), settings.moeda);
    row.setField(QStringLiteral("ContaArred"), settings.contaArred);
    row.setField(QStringLiteral("AteMes"), settings.ateMes ? 1 : 0);
    row.update();
}

}  // namespace agrimor
