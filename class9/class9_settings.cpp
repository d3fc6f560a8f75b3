#include "class9/class9_settings.h"

#include "core/null_safe.h"
#include "data/data_access.h"

namespace agrimor {

namespace {

const QString kTable = QStringLiteral("zeb_CNS_DadosIniciais");

}  // namespace

Class9Settings readClass9Settings(DataAccess& consolidated, int bd) {
    const Recordset row = consolidated.openReadOnly(
        QStringLiteral("select * from zeb_CNS_DadosIniciais where BD=?"), {bd});
    if (row.isEmpty())
        return {};
    return {nullSafeText(row.field(QStringLiteral("TpDocCL9"))),
            nullSafeText(row.field(QStringLiteral("SerieCL9"))),
            nullSafeText(row.field(QStringLiteral("DiarioCL9")))};
}

void storeClass9Settings(DataAccess& consolidated, int bd, const Class9Settings& settings) {
    Transaction transaction(consolidated);
    UpdatableRecordset row = consolidated.openUpdatable(kTable, QStringLiteral("BD=?"), {bd});
    if (row.isEmpty()) {
        row.addNew();
        row.setField(QStringLiteral("BD"), bd);
        row.setField(QStringLiteral("Serie"), QString());
    }
    row.setField(QStringLiteral("TpDocCL9"), settings.tpDoc);
    row.setField(QStringLiteral("SerieCL9"), settings.serie);
    row.setField(QStringLiteral("DiarioCL9"), settings.diario);
    row.update();
    transaction.commit();
}

}  // namespace agrimor
