#include "data/erp_schema.h"

#include <vector>

#include "data/data_access.h"
#include "data/engine.h"
#include "data/statement_recorder.h"

namespace agrimor {

namespace {

struct Column {
    const char* name;
    const char* type;
    bool notNull = false;
};

struct Table {
    const char* name;
    std::vector<Column> columns;
    const char* primaryKey;
};

// MovCTB first: its column list is also published by movCtbColumns().
const Table kMovCtb{"MovCTB",
                    {
                        {"Ano", "smallint", true},
                        {"Mes", "smallint"},
                        {"TpDoc", "nvarchar(3)", true},
                        {"Serie", "nvarchar(10)", true},
                        {"NumDoc", "int", true},
                        {"NumLinha", "smallint", true},
                        {"Conta", "nvarchar(15)"},
                        {"DbCr", "smallint"},
                        {"Valor", "money"},
                        {"DataDoc", "datetime"},
                        {"Nat", "smallint"},
                        {"Statac", "smallint"},
                        {"Exercicio", "smallint"},
                        {"Diario", "nvarchar(3)"},
                        {"NumDiari", "int"},
                        {"TpTerc", "smallint"},
                        {"Terc", "nvarchar(10)"},
                        {"Ref", "nvarchar(50)"},
                        {"Descr", "nvarchar(100)"},
                        {"Sector", "nvarchar(10)"},
                        {"RubOrc", "nvarchar(10)"},
                        {"CCustOrc", "nvarchar(10)"},
                        {"NCont", "nvarchar(20)"},
                        {"CodIva", "nvarchar(10)"},
                        {"CodFlu", "nvarchar(10)"},
                        {"Custeio", "nvarchar(10)"},
                        {"Operador", "nvarchar(20)"},
                        {"DtReal", "datetime"},
                        {"LinCC", "nvarchar(10)"},
                        {"Versao", "smallint"},
                        {"Origem", "smallint"},
                        {"Ligado", "smallint"},
                        {"ErroCTB", "nvarchar(255)"},
                        {"MnlAut", "smallint"},
                        {"DataR", "datetime"},
                        {"DataAl", "datetime"},
                        {"SystemEntryDate", "datetime"},
                        {"MvDes", "smallint"},
                        {"CtResp", "smallint"},
                        {"Valor_Base", "money"},
                        {"DBTS", "timestamp"},
                    },
                    "Ano, TpDoc, Serie, NumDoc, NumLinha"};

const Table kOtherTables[] = {
    {"POC",
     {
         {"Conta", "nvarchar(15)", true},
         {"Exercicio", "smallint", true},
         {"Descr", "nvarchar(100)"},
         {"NivInt", "smallint"},
         {"Grau", "smallint"},
         {"cl9dd", "nvarchar(15)"},
         {"cl9cc", "nvarchar(15)"},
     },
     "Conta, Exercicio"},
    {"TpDoc",
     {
         {"Codigo", "nvarchar(3)", true},
         {"Descr", "nvarchar(50)"},
         {"Diario", "nvarchar(3)"},
     },
     "Codigo"},
    {"Sectores",
     {
         {"Codigo", "nvarchar(10)", true},
         {"Descr", "nvarchar(50)"},
     },
     "Codigo"},
    {"DIARIO",
     {
         {"Codigo", "nvarchar(3)", true},
         {"Descr", "nvarchar(50)"},
     },
     "Codigo"},
    {"RUBRORC",
     {
         {"Cod", "nvarchar(10)", true},
         {"Descr", "nvarchar(50)"},
     },
     "Cod"},
    {"CCusto",
     {
         {"Cod", "nvarchar(10)", true},
         {"Descr", "nvarchar(50)"},
     },
     "Cod"},
    {"Custeio",
     {
         {"Custeio", "nvarchar(10)", true},
         {"Descr", "nvarchar(50)"},
     },
     "Custeio"},
    {"PLAIVA",
     {
         {"CodIva", "nvarchar(10)", true},
         {"Exercicio", "smallint", true},
         {"Descr", "nvarchar(50)"},
         {"Taxa", "money"},
         {"CNTIVA", "nvarchar(15)"},
     },
     "CodIva, Exercicio"},
    {"PLFLUX",
     {
         {"CodFlux", "nvarchar(10)", true},
         {"Exercicio", "smallint", true},
         {"Descr", "nvarchar(80)"},
     },
     "CodFlux, Exercicio"},
    {"Fornec",
     {
         {"Codigo", "nvarchar(10)", true},
         {"Nome", "nvarchar(80)"},
         {"NCont", "nvarchar(20)"},
         {"Localidade", "nvarchar(40)"},
     },
     "Codigo"},
    {"Clientes",
     {
         {"Codigo", "nvarchar(10)", true},
         {"Nome", "nvarchar(80)"},
         {"NCont", "nvarchar(20)"},
         {"Localidade", "nvarchar(40)"},
     },
     "Codigo"},
    {"NumDoc",
     {
         {"Ano", "smallint", true},
         {"Serie", "nvarchar(10)", true},
         {"Doc", "nvarchar(3)", true},
         {"Num", "int"},
     },
     "Ano, Serie, Doc"},
    {"NumDiar",
     {
         {"Ano", "smallint", true},
         {"Diario", "nvarchar(3)", true},
         {"Mes", "smallint", true},
         {"Numerado", "int"},
     },
     "Ano, Diario, Mes"},
};

// The server's row version is a column that nobody writes: here an integer.
QString embeddedType(const char* type) {
    const QString server = QString::fromLatin1(type);
    return server == QLatin1String("timestamp") ? QStringLiteral("integer") : server;
}

TableLayout layoutOf(const Table& table) {
    TableLayout layout{QString::fromLatin1(table.name), {}};
    for (const Column& column : table.columns)
        layout.columns << ColumnLayout{QString::fromLatin1(column.name),
                                       QString::fromLatin1(column.type)};
    return layout;
}

QString createStatement(const Table& table) {
    QStringList definitions;
    for (const Column& column : table.columns) {
        const QString type = embeddedType(column.type);
        QString definition = QStringLiteral("%1 %2").arg(QString::fromLatin1(column.name), type);
        if (column.notNull)
            definition += QStringLiteral(" NOT NULL");
        if (type.contains(QLatin1String("char")))
            definition += QStringLiteral(" COLLATE ci_rtrim");
        definitions << definition;
    }
    definitions << QStringLiteral("CONSTRAINT PK_%1 PRIMARY KEY (%2)")
                       .arg(QString::fromLatin1(table.name), QString::fromLatin1(table.primaryKey));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(QString::fromLatin1(table.name), definitions.join(QStringLiteral(", ")));
}

}  // namespace

QStringList erpSchemaStatements() {
    QStringList statements{createStatement(kMovCtb)};
    // The numbering of class-9 documents asks for the highest journal number of a year.
    statements << QStringLiteral("CREATE INDEX IX_MovCTB_Diario ON MovCTB (Ano, Diario, NumDiari)");
    for (const Table& table : kOtherTables)
        statements << createStatement(table);
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

const QStringList& movCtbColumns() {
    static const QStringList columns = [] {
        QStringList names;
        for (const Column& column : kMovCtb.columns)
            names << QString::fromLatin1(column.name);
        return names;
    }();
    return columns;
}

}  // namespace agrimor

namespace agrimor {

const QList<TableLayout>& erpTablesLayout() {
    static const QList<TableLayout> tables = [] {
        QList<TableLayout> layouts{layoutOf(kMovCtb)};
        for (const Table& table : kOtherTables)
            layouts << layoutOf(table);
        return layouts;
    }();
    return tables;
}

}  // namespace agrimor
