#include "data/dialect.h"

namespace agrimor {

namespace {

// SQL Server: the program's own tables are created with the statements the installed base was
// created with, so their layout stays the same across installations.
class SqlServerDialect : public Dialect {
public:
    QString name() const override { return QStringLiteral("SQL Server"); }

    // ISO 8601 with the 'T' is read the same under every language and DATEFORMAT setting; the
    // form with a space is not, for datetime columns. Milliseconds are kept when there are any:
    // a row is found again by the values it was read with, and a datetime written by another
    // program often has them.
    QString dateTimeText(const QDateTime& value) const override {
        QString text = isoDateTimeText(value, QLatin1Char('T'));
        if (const int milliseconds = value.time().msec(); !text.isEmpty() && milliseconds != 0)
            text += QStringLiteral(".%1").arg(milliseconds, 3, 10, QLatin1Char('0'));
        return text;
    }

    QString dateEquals(const QString& column) const override {
        return column + QStringLiteral(" = ?");
    }

    QString dateOrder(const QString& column) const override { return column; }

    bool hasRowLocator() const override { return false; }

    QStringList createOwnTables() const override {
        return {
            QStringLiteral(
                " CREATE TABLE [dbo].[zeb_CNS_Cambios]( [Moeda] [nvarchar](3) NOT NULL, [Data] "
                "[datetime] NOT NULL, [Cambio] [money] NULL, [Id] [int] IDENTITY(1,1) NOT NULL, "
                "CONSTRAINT [PK_zeb_CNS_Cambios] PRIMARY KEY CLUSTERED ( [Moeda] ASC, [Data] Asc "
                ")WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, "
                "ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY] ) ON [PRIMARY]"),
            QStringLiteral(
                " CREATE TABLE [dbo].[zeb_CNS_DadosIniciais]( [BD] [smallint] NULL,    [Setor] "
                "[nvarchar](3) NULL,    [TpDoc] [nvarchar](3) NULL, [Serie] [smallint] NULL,    "
                "[DataMov] [datetime] NULL,    [UltimoMes] [nvarchar](20) NULL, [Moeda] "
                "[nvarchar](3) NULL, [ContaArred] [nvarchar](15) NULL ) ON [PRIMARY]"),
            QStringLiteral(
                " CREATE TABLE [dbo].[zeb_CNS_Parametros]( [BD] [smallint] NULL, [Servidor] "
                "[nvarchar](30) NULL, [Utilizador] [nvarchar](30) NULL, [Password] [nvarchar](30) "
                "NULL, [Empresa] [nvarchar](30) NULL ) ON [PRIMARY]"),
        };
    }

    QString createRunLog() const override {
        return QStringLiteral(
            " CREATE TABLE [dbo].[zeb_CNS_Registo]( [Id] [int] IDENTITY(1,1) NOT NULL, [Tarefa] "
            "[nvarchar](12) NOT NULL, [Empresa] [smallint] NULL, [NomeEmpresa] [nvarchar](30) "
            "NULL, [Ano] [smallint] NULL, [Mes] [smallint] NULL, [AteMes] [smallint] NULL, "
            "[UtilizadorSO] [nvarchar](128) NULL, [UtilizadorBD] [nvarchar](128) NULL, [Posto] "
            "[nvarchar](128) NULL, [Inicio] [datetime] NULL, [Fim] [datetime] NULL, [Resultado] "
            "[nvarchar](10) NOT NULL, [Mensagem] [nvarchar](2000) NULL, [Linhas] [int] NULL, "
            "[TpDoc] [nvarchar](3) NULL, [Serie] [nvarchar](10) NULL, [AnoDoc] [smallint] NULL, "
            "[PrimeiroDoc] [int] NULL, [UltimoDoc] [int] NULL, [Diario] [nvarchar](3) NULL, "
            "[PrimeiroDiario] [int] NULL, [UltimoDiario] [int] NULL, [Debito] [money] NULL, "
            "[Credito] [money] NULL, [Ficheiro] [nvarchar](260) NULL, [Folha] [nvarchar](100) "
            "NULL, [Sha256] [nvarchar](64) NULL, [NumeradoresAntes] [nvarchar](max) NULL, "
            "[NumeradoresDepois] [nvarchar](max) NULL, [Documentos] [nvarchar](max) NULL, "
            "[Anulado] [datetime] NULL, CONSTRAINT [PK_zeb_CNS_Registo] PRIMARY KEY CLUSTERED ( "
            "[Id] ASC )WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, "
            "ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY] ) ON [PRIMARY]");
    }

    QStringList addColumns(const QString& table, const QStringList& definitions) const override {
        QStringList columns;
        for (const QString& definition : definitions)
            columns << definition + QStringLiteral(" null");
        return {QStringLiteral("ALTER TABLE  %1 ADD %2").arg(table, columns.join(u", "))};
    }

    QString columnTypeQuery() const override {
        return QStringLiteral(
            "Select  DATA_TYPE As TipoDado,coalesce(Character_Maximum_length,0) As "
            "Tamanho,Column_Name From INFORMATION_SCHEMA.COLUMNS  Where TABLE_NAME = ?  and "
            "Column_Name=? ");
    }

    QString columnsQuery() const override {
        return QStringLiteral(
            "SELECT COLUMN_NAME AS Coluna, lower(DATA_TYPE) AS TipoDado, "
            "coalesce(CHARACTER_MAXIMUM_LENGTH, 0) AS Tamanho FROM INFORMATION_SCHEMA.COLUMNS "
            "WHERE TABLE_NAME = ? ORDER BY ORDINAL_POSITION");
    }

    void retypeToText(Engine& engine, const QString& table, const QStringList& columns,
                      int size) const override {
        for (const QString& column : columns)
            engine.execute(QStringLiteral(" ALTER TABLE  %1 ALTER COLUMN %2 nvarchar(%3) Not NULL")
                               .arg(table, column)
                               .arg(size),
                           {});
    }

protected:
    QString updatableColumns() const override { return QStringLiteral("*"); }
    // TOP (1): without a locator the row is found by every value it was read with, and a key-less
    // table may hold identical rows (which are interchangeable); one of them changes.
    QString updateOne(const QString& table) const override {
        return QStringLiteral("UPDATE TOP (1) ") + table;
    }
    QString deleteOne(const QString& table) const override {
        return QStringLiteral("DELETE TOP (1) FROM ") + table;
    }
    QString rowFilter(const QList<ColumnInfo>& columns, const std::vector<Value>& original,
                      const Value&, Params& params) const override {
        return matchAllColumns(columns, original, params);
    }
};

}  // namespace

std::unique_ptr<Dialect> makeSqlServerDialect() {
    return std::make_unique<SqlServerDialect>();
}

}  // namespace agrimor
