#include "tools/seeder/erp_schema.h"

#include "data/data_access.h"
#include "data/engine.h"
#include "data/statement_recorder.h"
#include "ledger/erp_tables.h"

namespace agrimor {

namespace {

QString text(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// The server's row version is a column that nobody writes: here an integer.
QString embeddedType(std::string_view type) {
    return type == "timestamp" ? QStringLiteral("integer") : text(type);
}

QString createStatement(const erp::Table& table) {
    QStringList definitions;
    for (const erp::Column& column : table.columns) {
        const QString type = embeddedType(column.type);
        QString definition = QStringLiteral("%1 %2").arg(text(column.name), type);
        if (column.notNull)
            definition += QStringLiteral(" NOT NULL");
        if (type.contains(QLatin1String("char")))
            definition += QStringLiteral(" COLLATE ci_rtrim");
        definitions << definition;
    }
    definitions << QStringLiteral("CONSTRAINT PK_%1 PRIMARY KEY (%2)")
                       .arg(text(table.name), text(table.primaryKey));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(text(table.name), definitions.join(QStringLiteral(", ")));
}

}  // namespace

QStringList erpSchemaStatements() {
    QStringList statements;
    for (const erp::Table& table : erp::kTables) {
        statements << createStatement(table);
        // The numbering of class-9 documents asks for the highest journal number of a year.
        if (table.name == "MovCTB")
            statements << QStringLiteral(
                "CREATE INDEX IX_MovCTB_Diario ON MovCTB (Ano, Diario, NumDiari)");
    }
    return statements;
}

void createErpTables(Engine& engine) {
    // The server's ERP schema is the ERP's own: this one never goes there.
    const StatementRecordingPause notSentToServer;
    for (const QString& statement : erpSchemaStatements())
        engine.execute(statement, {});
}

void createErpTables(DataAccess& db) {
    createErpTables(db.engine());
}

}  // namespace agrimor
