#include <QRegularExpression>

#include "data/db_error.h"
#include "data/dialect.h"

namespace agrimor {

namespace {

// Text columns declare the collation that compares as SQL Server's default does.
QString withCollation(const QString& definition) {
    if (definition.contains(QLatin1String("char"), Qt::CaseInsensitive) &&
        !definition.contains(QLatin1String("collate"), Qt::CaseInsensitive))
        return definition + QStringLiteral(" COLLATE ci_rtrim");
    return definition;
}

class SqliteDialect : public Dialect {
public:
    QString name() const override { return QStringLiteral("SQLite"); }

    QString dateTimeText(const QDateTime& value) const override {
        return isoDateTimeText(value, QLatin1Char(' '));
    }

    QString dateEquals(const QString& column) const override {
        return QStringLiteral("datetime(%1) = datetime(?)").arg(column);
    }

    // One text form with milliseconds; a value SQLite cannot read as a date keeps its own text.
    QString dateOrder(const QString& column) const override {
        return QStringLiteral("coalesce(strftime('%Y-%m-%d %H:%M:%f', %1), %1)").arg(column);
    }

    bool hasRowLocator() const override { return true; }

    QStringList createOwnTables() const override {
        return {
            QStringLiteral("CREATE TABLE zeb_CNS_Cambios ("
                           "Moeda nvarchar(3) NOT NULL COLLATE ci_rtrim, "
                           "Data datetime NOT NULL, "
                           "Cambio money NULL, "
                           "Id integer PRIMARY KEY AUTOINCREMENT NOT NULL, "
                           "CONSTRAINT PK_zeb_CNS_Cambios UNIQUE (Moeda, Data))"),
            QStringLiteral("CREATE TABLE zeb_CNS_DadosIniciais ("
                           "BD smallint NULL, "
                           "Setor nvarchar(3) NULL COLLATE ci_rtrim, "
                           "TpDoc nvarchar(3) NULL COLLATE ci_rtrim, "
                           "Serie smallint NULL, "
                           "DataMov datetime NULL, "
                           "UltimoMes nvarchar(20) NULL COLLATE ci_rtrim, "
                           "Moeda nvarchar(3) NULL COLLATE ci_rtrim, "
                           "ContaArred nvarchar(15) NULL COLLATE ci_rtrim)"),
            QStringLiteral("CREATE TABLE zeb_CNS_Parametros ("
                           "BD smallint NULL, "
                           "Servidor nvarchar(30) NULL COLLATE ci_rtrim, "
                           "Utilizador nvarchar(30) NULL COLLATE ci_rtrim, "
                           "Password nvarchar(30) NULL COLLATE ci_rtrim, "
                           "Empresa nvarchar(30) NULL COLLATE ci_rtrim)"),
        };
    }

    QString createRunLog() const override {
        // Long texts as a wide nvarchar: SQLite keeps any length.
        return QStringLiteral(
            "CREATE TABLE zeb_CNS_Registo (Id integer PRIMARY KEY AUTOINCREMENT NOT NULL, Tarefa "
            "nvarchar(12) NOT NULL COLLATE ci_rtrim, Empresa smallint NULL, NomeEmpresa "
            "nvarchar(30) NULL COLLATE ci_rtrim, Ano smallint NULL, Mes smallint NULL, AteMes "
            "smallint NULL, UtilizadorSO nvarchar(128) NULL COLLATE ci_rtrim, UtilizadorBD "
            "nvarchar(128) NULL COLLATE ci_rtrim, Posto nvarchar(128) NULL COLLATE ci_rtrim, "
            "Inicio datetime NULL, Fim datetime NULL, Resultado nvarchar(10) NOT NULL COLLATE "
            "ci_rtrim, Mensagem nvarchar(2000) NULL COLLATE ci_rtrim, Linhas int NULL, TpDoc "
            "nvarchar(3) NULL COLLATE ci_rtrim, Serie nvarchar(10) NULL COLLATE ci_rtrim, AnoDoc "
            "smallint NULL, PrimeiroDoc int NULL, UltimoDoc int NULL, Diario nvarchar(3) NULL "
            "COLLATE ci_rtrim, PrimeiroDiario int NULL, UltimoDiario int NULL, Debito money NULL,"
            " Credito money NULL, Ficheiro nvarchar(260) NULL COLLATE ci_rtrim, Folha "
            "nvarchar(100) NULL COLLATE ci_rtrim, Sha256 nvarchar(64) NULL COLLATE ci_rtrim, "
            "NumeradoresAntes nvarchar(4000) NULL COLLATE ci_rtrim, NumeradoresDepois "
            "nvarchar(4000) NULL COLLATE ci_rtrim, Documentos nvarchar(4000) NULL COLLATE "
            "ci_rtrim, Anulado datetime NULL)");
    }

    QStringList addColumns(const QString& table, const QStringList& definitions) const override {
        // SQLite adds one column per statement.
        QStringList statements;
        for (const QString& definition : definitions)
            statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 NULL")
                              .arg(table, withCollation(definition));
        return statements;
    }

    QString columnTypeQuery() const override {
        // The type name without its size, as SQL Server's catalogue gives it.
        return QStringLiteral(
            "SELECT lower(CASE WHEN instr(type, '(') > 0 THEN substr(type, 1, instr(type, '(') - 1)"
            " ELSE type END) AS TipoDado, 0 AS Tamanho, name AS Column_Name"
            " FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE");
    }

    // The size is the number in the declared type's brackets ("nvarchar(15)"), as declared.
    QString columnsQuery() const override {
        return QStringLiteral(
            "SELECT name AS Coluna, lower(CASE WHEN instr(type, '(') > 0"
            " THEN trim(substr(type, 1, instr(type, '(') - 1)) ELSE type END) AS TipoDado,"
            " CASE WHEN instr(type, '(') > 0 THEN CAST(substr(type, instr(type, '(') + 1) AS"
            " INTEGER) ELSE 0 END AS Tamanho FROM pragma_table_info(?) ORDER BY cid");
    }

    void retypeToText(Engine& engine, const QString& table, const QStringList& columns,
                      int size) const override {
        // One column at a time, as the server's ALTER COLUMN statements go: a column that holds a
        // null fails and stops, the columns retyped before it stay retyped.
        for (const QString& column : columns)
            rebuildWithTextColumn(engine, table, column, size);
    }

protected:
    QString updatableColumns() const override {
        return QStringLiteral("rowid AS %1, *").arg(QLatin1String(kLocatorColumn));
    }
    QString updateOne(const QString& table) const override {
        return QStringLiteral("UPDATE ") + table;
    }
    QString deleteOne(const QString& table) const override {
        return QStringLiteral("DELETE FROM ") + table;
    }
    QString rowFilter(const QList<ColumnInfo>&, const std::vector<Value>&, const Value& locator,
                      Params& params) const override {
        params << locator;
        return QStringLiteral("rowid = ?");
    }

private:
    // SQLite cannot change a column's type: the table is rebuilt with the new type and its rows
    // copied, in one transaction. A null in the column fails the copy, as NOT NULL would.
    static void rebuildWithTextColumn(Engine& engine, const QString& table, const QString& column,
                                      int size) {
        const RowSet info = engine.query(
            QStringLiteral("SELECT name, type, \"notnull\" FROM pragma_table_info(?)"), {table});
        QStringList definitions;
        QStringList names;
        bool found = false;
        for (const auto& row : info.rows) {
            const QString name = row[0].toText();
            QString type = row[1].toText();
            bool notNull = row[2].toInt() != 0;
            if (name.compare(column, Qt::CaseInsensitive) == 0) {
                type = QStringLiteral("nvarchar(%1)").arg(size);
                notNull = true;
                found = true;
            }
            QString definition = name + QLatin1Char(' ') + type;
            if (notNull)
                definition += QStringLiteral(" NOT NULL");
            definitions << withCollation(definition);
            names << name;
        }
        if (!found)
            throw DbError(DbError::kInvalidColumn,
                          QStringLiteral("no such column: %1.%2").arg(table, column));
        const QString rebuilt = table + QStringLiteral("_rebuild");
        const bool ownTransaction = !engine.inTransaction();
        if (ownTransaction)
            engine.begin();
        try {
            engine.execute(
                QStringLiteral("CREATE TABLE %1 (%2)").arg(rebuilt, definitions.join(u", ")), {});
            engine.execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
                               .arg(rebuilt, names.join(u", "), table),
                           {});
            engine.execute(QStringLiteral("DROP TABLE %1").arg(table), {});
            engine.execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(rebuilt, table), {});
            if (ownTransaction)
                engine.commit();
        } catch (...) {
            if (ownTransaction)
                engine.rollback();
            throw;
        }
    }
};

}  // namespace

std::unique_ptr<Dialect> makeSqliteDialect() {
    return std::make_unique<SqliteDialect>();
}

}  // namespace agrimor
