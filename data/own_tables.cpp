#include "data/own_tables.h"

#include "data/data_access.h"
#include "data/db_error.h"

namespace agrimor {

namespace {

const QString kSettings = QStringLiteral("zeb_CNS_DadosIniciais");

// True when the probe fails because its table or column is missing. Any other failure counts as
// present: the tables are then used as they are.
bool isMissing(DataAccess& db, const QString& probe) {
    try {
        db.openReadOnly(probe);
        return false;
    } catch (const DbError& error) {
        return error.isMissingObject();
    }
}

void executeAll(DataAccess& db, const QStringList& statements) {
    for (const QString& statement : statements)
        db.execute(statement);
}

}  // namespace

void ensureOwnTables(DataAccess& db) {
    const Dialect& dialect = db.dialect();

    // Without the settings table the program's tables are taken to be all missing.
    if (isMissing(db, QStringLiteral("select BD from  zeb_CNS_DadosIniciais")))
        executeAll(db, dialect.createOwnTables());

    if (isMissing(db, QStringLiteral("select TpDocCL9 from  zeb_CNS_DadosIniciais")))
        executeAll(db, dialect.addColumns(kSettings, {QStringLiteral("TpDocCL9 nvarchar(3)"),
                                                      QStringLiteral("SerieCL9 smallint"),
                                                      QStringLiteral("DiarioCL9 nvarchar(3)")}));

    if (isMissing(db, QStringLiteral("select AteMes from  zeb_CNS_DadosIniciais"))) {
        executeAll(db, dialect.addColumns(kSettings, {QStringLiteral("AteMes smallint")}));
        db.execute(QStringLiteral("Update zeb_CNS_DadosIniciais set AteMes=0"));
    }

    const Recordset type =
        db.openReadOnly(dialect.columnTypeQuery(), {kSettings, QStringLiteral("Serie")});
    if (!type.isEmpty() &&
        type.field(QStringLiteral("TipoDado")).toText() != QLatin1String("nvarchar"))
        dialect.retypeToText(db.engine(), kSettings,
                             {QStringLiteral("Serie"), QStringLiteral("SerieCl9")}, 10);
}

}  // namespace agrimor
