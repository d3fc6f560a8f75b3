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

    // The run log came later than the other tables: a database of any age may lack it alone.
    if (isMissing(db, QStringLiteral("select Id from  zeb_CNS_Registo")))
        db.execute(dialect.createRunLog());
}

}  // namespace agrimor

namespace agrimor {

const QList<TableLayout>& ownTablesLayout() {
    static const QList<TableLayout> tables{
        {QStringLiteral("zeb_CNS_Cambios"),
         {{QStringLiteral("Moeda"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("Data"), QStringLiteral("datetime")},
          {QStringLiteral("Cambio"), QStringLiteral("money")},
          {QStringLiteral("Id"), QStringLiteral("int")}}},
        {kSettings,
         {{QStringLiteral("BD"), QStringLiteral("smallint")},
          {QStringLiteral("Setor"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("TpDoc"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("Serie"), QStringLiteral("nvarchar(10)")},
          {QStringLiteral("DataMov"), QStringLiteral("datetime")},
          {QStringLiteral("UltimoMes"), QStringLiteral("nvarchar(20)")},
          {QStringLiteral("Moeda"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("ContaArred"), QStringLiteral("nvarchar(15)")},
          {QStringLiteral("TpDocCL9"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("SerieCL9"), QStringLiteral("nvarchar(10)")},
          {QStringLiteral("DiarioCL9"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("AteMes"), QStringLiteral("smallint")}}},
        {QStringLiteral("zeb_CNS_Parametros"),
         {{QStringLiteral("BD"), QStringLiteral("smallint")},
          {QStringLiteral("Servidor"), QStringLiteral("nvarchar(30)")},
          {QStringLiteral("Utilizador"), QStringLiteral("nvarchar(30)")},
          {QStringLiteral("Password"), QStringLiteral("nvarchar(30)")},
          {QStringLiteral("Empresa"), QStringLiteral("nvarchar(30)")}}},
        {QStringLiteral("zeb_CNS_Registo"),
         {{QStringLiteral("Id"), QStringLiteral("int")},
          {QStringLiteral("Tarefa"), QStringLiteral("nvarchar(12)")},
          {QStringLiteral("Empresa"), QStringLiteral("smallint")},
          {QStringLiteral("NomeEmpresa"), QStringLiteral("nvarchar(30)")},
          {QStringLiteral("Ano"), QStringLiteral("smallint")},
          {QStringLiteral("Mes"), QStringLiteral("smallint")},
          {QStringLiteral("AteMes"), QStringLiteral("smallint")},
          {QStringLiteral("UtilizadorSO"), QStringLiteral("nvarchar(128)")},
          {QStringLiteral("UtilizadorBD"), QStringLiteral("nvarchar(128)")},
          {QStringLiteral("Posto"), QStringLiteral("nvarchar(128)")},
          {QStringLiteral("Inicio"), QStringLiteral("datetime")},
          {QStringLiteral("Fim"), QStringLiteral("datetime")},
          {QStringLiteral("Resultado"), QStringLiteral("nvarchar(10)")},
          {QStringLiteral("Mensagem"), QStringLiteral("nvarchar(2000)")},
          {QStringLiteral("Linhas"), QStringLiteral("int")},
          {QStringLiteral("TpDoc"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("Serie"), QStringLiteral("nvarchar(10)")},
          {QStringLiteral("AnoDoc"), QStringLiteral("smallint")},
          {QStringLiteral("PrimeiroDoc"), QStringLiteral("int")},
          {QStringLiteral("UltimoDoc"), QStringLiteral("int")},
          {QStringLiteral("Diario"), QStringLiteral("nvarchar(3)")},
          {QStringLiteral("PrimeiroDiario"), QStringLiteral("int")},
          {QStringLiteral("UltimoDiario"), QStringLiteral("int")},
          {QStringLiteral("Debito"), QStringLiteral("money")},
          {QStringLiteral("Credito"), QStringLiteral("money")},
          {QStringLiteral("Ficheiro"), QStringLiteral("nvarchar(260)")},
          {QStringLiteral("Folha"), QStringLiteral("nvarchar(100)")},
          {QStringLiteral("Sha256"), QStringLiteral("nvarchar(64)")},
          {QStringLiteral("NumeradoresAntes"), QStringLiteral("nvarchar(max)")},
          {QStringLiteral("NumeradoresDepois"), QStringLiteral("nvarchar(max)")},
          {QStringLiteral("Documentos"), QStringLiteral("nvarchar(max)")},
          {QStringLiteral("Anulado"), QStringLiteral("datetime")}}},
    };
    return tables;
}

}  // namespace agrimor

namespace agrimor {

int ownColumnWidth(const QString& table, const QString& column) {
    for (const TableLayout& layout : ownTablesLayout()) {
        if (layout.name.compare(table, Qt::CaseInsensitive) != 0)
            continue;
        for (const ColumnLayout& c : layout.columns) {
            if (c.name.compare(column, Qt::CaseInsensitive) != 0)
                continue;
            if (!c.type.contains(QLatin1String("char")))
                return 0;
            const qsizetype open = c.type.indexOf(QLatin1Char('('));
            return open < 0 ? 0 : c.type.mid(open + 1).chopped(1).toInt();
        }
    }
    return 0;
}

}  // namespace agrimor
