#include "data/dialect.h"

#include <gtest/gtest.h>

#include "data/data_access.h"
#include "data/db_error.h"
#include "data/own_tables.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

// No SQL Server runs here: the statements that find a row again are pinned as text.
TEST(SqlServerDialect, a_row_is_changed_and_deleted_by_every_value_it_was_read_with) {
    const auto dialect = makeSqlServerDialect();
    const QList<ColumnInfo> columns{{u"BD"_s, Value::Kind::Integer, true},
                                    {u"Servidor"_s, Value::Kind::Text, true},
                                    {u"Notas"_s, Value::Kind::Text, false}};
    const std::vector<Value> original{Value(3), Value(), Value(u"longo"_s)};

    EXPECT_EQ(dialect->updatableSelect(u"zeb_CNS_Parametros"_s, u"BD=?"_s, u"BD"_s),
              u"SELECT * FROM zeb_CNS_Parametros WHERE BD=? ORDER BY BD"_s);

    Params params{Value(u"srv"_s)};
    EXPECT_EQ(
        dialect->updateRow(u"zeb_CNS_Parametros"_s, {u"Servidor"_s}, columns, original, {}, params),
        QStringLiteral("UPDATE TOP (1) zeb_CNS_Parametros SET [Servidor] = ? WHERE [BD] = ? "
                       "AND [Servidor] IS NULL"));
    EXPECT_EQ(params, (Params{Value(u"srv"_s), Value(3)}));

    params.clear();
    EXPECT_EQ(dialect->deleteRow(u"zeb_CNS_Parametros"_s, columns, original, {}, params),
              QStringLiteral("DELETE TOP (1) FROM zeb_CNS_Parametros WHERE [BD] = ? AND "
                             "[Servidor] IS NULL"));
    EXPECT_EQ(params, (Params{Value(3)}));
}

TEST(SqlServerDialect, date_times_are_bound_in_iso_form_with_their_milliseconds) {
    const auto dialect = makeSqlServerDialect();
    EXPECT_EQ(dialect->dateTimeText(naiveDateTime(QDate(2024, 3, 5))), u"2024-03-05T00:00:00"_s);
    EXPECT_EQ(dialect->dateTimeText(naiveDateTime(QDate(2026, 10, 15), QTime(9, 5, 7, 3))),
              u"2026-10-15T09:05:07.003"_s);
    EXPECT_EQ(dialect->dateTimeText(naiveDateTime(QDate(2026, 10, 15), QTime(23, 59, 59, 997))),
              u"2026-10-15T23:59:59.997"_s);
    EXPECT_EQ(dialect->dateTimeText(QDateTime()), QString());

    // SQLite keeps its one text form.
    EXPECT_EQ(
        makeSqliteDialect()->dateTimeText(naiveDateTime(QDate(2026, 10, 15), QTime(9, 5, 7, 3))),
        u"2026-10-15 09:05:07"_s);
}

// A server as the start-up's schema check sees it: the probes fail as a missing table does (or
// succeed), the column-type query answers `seriesType`; every statement is recorded.
class RecordingServer : public Engine {
public:
    RecordingServer(bool tablesMissing, QString seriesType)
        : tablesMissing_(tablesMissing), seriesType_(std::move(seriesType)) {}

    QStringList statements;
    std::vector<Params> parameters;

    const Dialect& dialect() const override { return *dialect_; }
    void queryEach(const QString& sql, const Params& params, RowSink& sink) override {
        record(sql, params);
        if (!sql.contains(QLatin1String("INFORMATION_SCHEMA"))) {
            if (tablesMissing_)
                throw DbError(DbError::kMissingTable,
                              u"Invalid object name 'zeb_CNS_DadosIniciais'."_s);
            sink.columns({});
            return;
        }
        sink.columns({{u"TipoDado"_s}, {u"Tamanho"_s, Value::Kind::Integer}, {u"Column_Name"_s}});
        std::vector<Value> row{seriesType_, Value(0), Value(u"Serie"_s)};
        sink.row(row);
    }
    std::int64_t execute(const QString& sql, const Params& params) override {
        record(sql, params);
        return 0;
    }
    void insert(const QString& sql, const Params& row) override { record(sql, row); }
    void flush() override {}
    void begin() override {}
    void commit() override {}
    void rollback() override {}
    bool inTransaction() const override { return false; }
    std::int64_t roundTrips() const override { return 0; }

private:
    void record(const QString& sql, const Params& params) {
        statements << sql;
        parameters.push_back(params);
    }

    std::unique_ptr<Dialect> dialect_ = makeSqlServerDialect();
    bool tablesMissing_;
    QString seriesType_;
};

const char* const kTypeQuery =
    "Select  DATA_TYPE As TipoDado,coalesce(Character_Maximum_length,0) As Tamanho,Column_Name"
    " From INFORMATION_SCHEMA.COLUMNS "
    " Where TABLE_NAME = ?  and Column_Name=? ";

QStringList ensureOnServer(bool tablesMissing, const QString& seriesType, Params* typeParams) {
    auto server = std::make_shared<RecordingServer>(tablesMissing, seriesType);
    DataAccess db;
    db.adopt(server);
    ensureOwnTables(db);
    const qsizetype typeQuery = server->statements.indexOf(QLatin1String(kTypeQuery));
    if (typeParams && typeQuery >= 0)
        *typeParams = server->parameters.at(static_cast<std::size_t>(typeQuery));
    return server->statements;
}

TEST(SqlServerDialect, a_new_database_gets_the_installed_bases_statements_word_for_word) {
    Params typeParams;
    const QStringList sent = ensureOnServer(true, u"smallint"_s, &typeParams);
    const char* const expected[] = {
        "select BD from  zeb_CNS_DadosIniciais",
        " CREATE TABLE [dbo].[zeb_CNS_Cambios]("
        " [Moeda] [nvarchar](3) NOT NULL,"
        " [Data] [datetime] NOT NULL,"
        " [Cambio] [money] NULL,"
        " [Id] [int] IDENTITY(1,1) NOT NULL,"
        " CONSTRAINT [PK_zeb_CNS_Cambios] PRIMARY KEY CLUSTERED"
        " ("
        " [Moeda] ASC,"
        " [Data] Asc"
        " )WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, "
        "ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY]"
        " ) ON [PRIMARY]",
        " CREATE TABLE [dbo].[zeb_CNS_DadosIniciais]("
        " [BD] [smallint] NULL,    [Setor] [nvarchar](3) NULL,    [TpDoc] [nvarchar](3) NULL,"
        " [Serie] [smallint] NULL,    [DataMov] [datetime] NULL,    [UltimoMes] [nvarchar](20) "
        "NULL,"
        " [Moeda] [nvarchar](3) NULL,"
        " [ContaArred] [nvarchar](15) NULL"
        " ) ON [PRIMARY]",
        " CREATE TABLE [dbo].[zeb_CNS_Parametros]("
        " [BD] [smallint] NULL,"
        " [Servidor] [nvarchar](30) NULL,"
        " [Utilizador] [nvarchar](30) NULL,"
        " [Password] [nvarchar](30) NULL,"
        " [Empresa] [nvarchar](30) NULL"
        " ) ON [PRIMARY]",
        "select TpDocCL9 from  zeb_CNS_DadosIniciais",
        "ALTER TABLE  zeb_CNS_DadosIniciais ADD"
        " TpDocCL9 nvarchar(3) null, SerieCL9 smallint null, DiarioCL9 nvarchar(3) null",
        "select AteMes from  zeb_CNS_DadosIniciais",
        "ALTER TABLE  zeb_CNS_DadosIniciais ADD"
        " AteMes smallint null",
        "Update zeb_CNS_DadosIniciais set AteMes=0",
        kTypeQuery,
        " ALTER TABLE  zeb_CNS_DadosIniciais ALTER COLUMN"
        " Serie nvarchar(10) Not NULL",
        " ALTER TABLE  zeb_CNS_DadosIniciais ALTER COLUMN"
        " SerieCl9 nvarchar(10) Not NULL",
        "select Id from  zeb_CNS_Registo",
        " CREATE TABLE [dbo].[zeb_CNS_Registo]("
        " [Id] [int] IDENTITY(1,1) NOT NULL,"
        " [Tarefa] [nvarchar](12) NOT NULL,"
        " [Empresa] [smallint] NULL,"
        " [NomeEmpresa] [nvarchar](30) NULL,"
        " [Ano] [smallint] NULL,"
        " [Mes] [smallint] NULL,"
        " [AteMes] [smallint] NULL,"
        " [UtilizadorSO] [nvarchar](128) NULL,"
        " [UtilizadorBD] [nvarchar](128) NULL,"
        " [Posto] [nvarchar](128) NULL,"
        " [Inicio] [datetime] NULL,"
        " [Fim] [datetime] NULL,"
        " [Resultado] [nvarchar](10) NOT NULL,"
        " [Mensagem] [nvarchar](2000) NULL,"
        " [Linhas] [int] NULL,"
        " [TpDoc] [nvarchar](3) NULL,"
        " [Serie] [nvarchar](10) NULL,"
        " [AnoDoc] [smallint] NULL,"
        " [PrimeiroDoc] [int] NULL,"
        " [UltimoDoc] [int] NULL,"
        " [Diario] [nvarchar](3) NULL,"
        " [PrimeiroDiario] [int] NULL,"
        " [UltimoDiario] [int] NULL,"
        " [Debito] [money] NULL,"
        " [Credito] [money] NULL,"
        " [Ficheiro] [nvarchar](260) NULL,"
        " [Folha] [nvarchar](100) NULL,"
        " [Sha256] [nvarchar](64) NULL,"
        " [NumeradoresAntes] [nvarchar](max) NULL,"
        " [NumeradoresDepois] [nvarchar](max) NULL,"
        " [Documentos] [nvarchar](max) NULL,"
        " [Anulado] [datetime] NULL,"
        " CONSTRAINT [PK_zeb_CNS_Registo] PRIMARY KEY CLUSTERED ( [Id] ASC )WITH (PAD_INDEX = OFF, "
        "STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, "
        "ALLOW_PAGE_LOCKS = ON) ON [PRIMARY] ) ON [PRIMARY]",
    };
    ASSERT_EQ(static_cast<std::size_t>(sent.size()), std::size(expected))
        << sent.join(u'\n').toStdString();
    for (qsizetype i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent.at(i), QLatin1String(expected[i])) << i;
    EXPECT_EQ(typeParams, (Params{u"zeb_CNS_DadosIniciais"_s, u"Serie"_s}));
}

TEST(SqlServerDialect, tables_of_the_current_layout_only_get_the_probes_and_the_type_query) {
    for (const QString& type : {u"nvarchar"_s, u"NVARCHAR"_s}) {
        SCOPED_TRACE(type.toStdString());
        QStringList expected{u"select BD from  zeb_CNS_DadosIniciais"_s,
                             u"select TpDocCL9 from  zeb_CNS_DadosIniciais"_s,
                             u"select AteMes from  zeb_CNS_DadosIniciais"_s,
                             QLatin1String(kTypeQuery)};
        // The type is compared exactly: any other spelling is retyped.
        if (type != QLatin1String("nvarchar"))
            expected << QStringLiteral(
                            " ALTER TABLE  zeb_CNS_DadosIniciais ALTER COLUMN Serie nvarchar(10) "
                            "Not NULL")
                     << QStringLiteral(
                            " ALTER TABLE  zeb_CNS_DadosIniciais ALTER COLUMN SerieCl9 "
                            "nvarchar(10) Not NULL");
        expected << QStringLiteral("select Id from  zeb_CNS_Registo");
        EXPECT_EQ(ensureOnServer(false, type, nullptr), expected);
    }
}

// The ODBC engine on a SQLite file, seen through the SQL Server dialect: rows are located by
// every value they were read with, and date-times are bound in that dialect's text, as the ODBC
// engine binds them on a server. SQLite has no TOP, so "UPDATE TOP (1)" runs as "UPDATE"; the
// dates are stored in the server's text form so that SQLite's text comparison sees what a
// datetime comparison on the server would.
class SqlServerRowsOnSqlite : public Engine {
public:
    explicit SqlServerRowsOnSqlite(Engine& inner) : inner_(inner) {}

    const Dialect& dialect() const override { return *dialect_; }
    void queryEach(const QString& sql, const Params& params, RowSink& sink) override {
        inner_.queryEach(sql, bound(params), sink);
    }
    std::int64_t execute(const QString& sql, const Params& params) override {
        QString text = sql;
        text.replace(u"UPDATE TOP (1) "_s, u"UPDATE "_s)
            .replace(u"DELETE TOP (1) "_s, u"DELETE "_s);
        return inner_.execute(text, bound(params));
    }
    void insert(const QString& sql, const Params& row) override { inner_.insert(sql, bound(row)); }
    void flush() override { inner_.flush(); }
    void begin() override { inner_.begin(); }
    void commit() override { inner_.commit(); }
    void rollback() override { inner_.rollback(); }
    bool inTransaction() const override { return inner_.inTransaction(); }
    std::int64_t roundTrips() const override { return inner_.roundTrips(); }

private:
    Params bound(const Params& params) const {
        Params out;
        for (const Value& value : params)
            out << (value.kind() == Value::Kind::DateTime
                        ? Value(dialect_->dateTimeText(value.toDateTime()))
                        : value);
        return out;
    }

    Engine& inner_;
    std::unique_ptr<Dialect> dialect_ = makeSqlServerDialect();
};

TEST(SqlServerDialect, a_row_whose_date_has_milliseconds_is_read_and_changed_on_the_odbc_path) {
    test::TempFolder folder;
    // Two rows of a key-less table that differ only in the milliseconds of their date.
    auto odbc = test::createDatabase(
        test::EngineKind::OdbcSqlite, folder.path(), u"c.db"_s,
        QStringLiteral("CREATE TABLE zeb_CNS_DadosIniciais (BD smallint, UltimoMes nvarchar(20), "
                       "DataMov datetime);"
                       "INSERT INTO zeb_CNS_DadosIniciais VALUES "
                       "(1, '', '2026-10-15T10:20:30.123'), (1, '', '2026-10-15T10:20:30.456');"));
    DataAccess db;
    db.adopt(std::make_shared<SqlServerRowsOnSqlite>(odbc->engine()));

    UpdatableRecordset rows =
        db.openUpdatable(u"zeb_CNS_DadosIniciais"_s, u"BD=?"_s, {1}, u"DataMov"_s);
    ASSERT_EQ(rows.rowCount(), 2);
    rows.moveLast();
    EXPECT_EQ(rows.field(u"DataMov"_s).toDateTime().time(), QTime(10, 20, 30, 456));
    rows.setField(u"UltimoMes"_s, u"10/2026"_s);
    rows.update();
    rows.moveFirst();
    rows.deleteCurrent();

    const Recordset after =
        odbc->openReadOnly(u"SELECT UltimoMes, DataMov FROM zeb_CNS_DadosIniciais"_s);
    ASSERT_EQ(after.rowCount(), 1);
    EXPECT_EQ(after.field(u"UltimoMes"_s).toText(), u"10/2026"_s);
    EXPECT_EQ(after.field(u"DataMov"_s).toDateTime().time(), QTime(10, 20, 30, 456));
}

TEST(SqliteDialect, a_row_is_found_again_by_its_rowid) {
    const auto dialect = makeSqliteDialect();
    Params params{Value(1)};
    EXPECT_EQ(dialect->updateRow(u"T"_s, {u"A"_s}, {}, {}, Value(42), params),
              u"UPDATE T SET [A] = ? WHERE rowid = ?"_s);
    EXPECT_EQ(params, (Params{Value(1), Value(42)}));
    EXPECT_EQ(dialect->updatableSelect(u"T"_s, {}, {}),
              u"SELECT rowid AS agrimor_row_locator, * FROM T"_s);
}

}  // namespace
}  // namespace agrimor
