#include "data/odbc_engine.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "data/db_error.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

// The ODBC engine on SQLite files through the SQLite ODBC driver: the production code path,
// exercised without a server.
class OdbcEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath(u"odbc.db"_s);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file_.toUtf8().constData(), &db), SQLITE_OK);
        const char* schema =
            "CREATE TABLE Mov (Id integer PRIMARY KEY, Conta nvarchar(15), Descr nvarchar(100),"
            " Valor money, Qtd integer, Taxa float, DataDoc datetime, Notas text, Anexo blob);"
            "CREATE TABLE Cambio (Moeda nvarchar(3) NOT NULL, Data datetime NOT NULL,"
            " Cambio money, UNIQUE (Moeda, Data));";
        const int rc = sqlite3_exec(db, schema, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK);
        engine_ = connect();
    }

    std::unique_ptr<OdbcEngine> connect() const {
        return OdbcEngine::connect(connectionString(file_), 5, 30);
    }
    static QString connectionString(const QString& file) {
        return u"Driver={SQLite3};Database=%1;NoCreat=1;"_s.arg(file);
    }

    std::int64_t count(const QString& table) {
        return engine_->query(u"SELECT count(*) FROM "_s + table, {}).rows.at(0).at(0).toInt();
    }

    static QString insertMov() {
        return QStringLiteral(
            "INSERT INTO Mov (Id, Conta, Descr, Valor, DataDoc) VALUES (?, ?, ?, ?, ?)");
    }
    static QString insertCambio() {
        return u"INSERT INTO Cambio (Moeda, Data, Cambio) VALUES (?, ?, ?)"_s;
    }
    static Params cambioRow(int day) {
        return {u"USD"_s, Value(QDate(2024, 1, 1).addDays(day)), Money::fromUnits(10812)};
    }

    QTemporaryDir dir_;
    QString file_;
    std::unique_ptr<OdbcEngine> engine_;
};

// Quotes and SQL in values are data on both engines (DataAccessTest); here what only the ODBC
// path converts: texts out of ASCII in values, statements and names, and an empty text.
TEST_F(OdbcEngineTest, texts_out_of_ascii_and_empty_ones_are_kept) {
    const QStringList texts = {u"Ação, câmbio € 日本 ?"_s, QString()};
    for (int i = 0; i < texts.size(); ++i)
        engine_->execute(u"INSERT INTO Mov (Id, Descr) VALUES (?, ?)"_s, {i, texts[i]});
    for (int i = 0; i < texts.size(); ++i) {
        const RowSet found =
            engine_->query(u"SELECT Id, Descr FROM Mov WHERE Descr = ?"_s, {texts[i]});
        ASSERT_EQ(found.rows.size(), 1u) << texts[i].toStdString();
        EXPECT_EQ(found.rows[0][1], Value(texts[i]));  // an empty text is a text, not a null
    }

    // Statement texts and names are not limited to ASCII, whatever the process locale.
    const RowSet literal =
        engine_->query(u"SELECT Id AS Número FROM Mov WHERE Descr = 'Ação, câmbio € 日本 ?'"_s, {});
    ASSERT_EQ(literal.rows.size(), 1u);
    EXPECT_EQ(literal.columns[0].name, u"Número"_s);
    try {
        engine_->query(u"SELECT * FROM Câmbios"_s, {});
        FAIL() << "a missing table was found";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.message().contains(u"Câmbios"_s)) << error.what();
    }
}

TEST_F(OdbcEngineTest, values_keep_kind_and_exactness) {
    const QDateTime moment = naiveDateTime(QDate(2024, 2, 29), QTime(13, 45, 10));
    const std::int64_t big = std::int64_t(1) << 40;
    const QString sql = QStringLiteral(
        "INSERT INTO Mov (Id, Valor, Qtd, Taxa, DataDoc, Notas) VALUES (?, ?, ?, ?, ?, ?)");
    engine_->execute(sql, {1, Money::fromUnits(10812), big, 0.125, moment, Value()});
    engine_->execute(sql, {2, Money::fromUnits(-1234567891234), -7, -1.5,
                           Value(QDate(2024, 12, 31)), u"nota"_s});
    engine_->execute(sql, {3, Value(), Value(), Value(), Value(), Value()});

    const RowSet rows = engine_->query(
        u"SELECT Id, Valor, Qtd, Taxa, DataDoc, Notas, Descr FROM Mov ORDER BY Id"_s, {});
    ASSERT_EQ(rows.rows.size(), 3u);
    ASSERT_EQ(rows.columns.size(), 7);
    EXPECT_EQ(rows.columns[1].name, u"Valor"_s);
    EXPECT_EQ(rows.columns[1].kind, Value::Kind::Money);
    EXPECT_EQ(rows.columns[2].kind, Value::Kind::Integer);
    EXPECT_EQ(rows.columns[3].kind, Value::Kind::Real);
    EXPECT_EQ(rows.columns[4].kind, Value::Kind::DateTime);
    EXPECT_FALSE(rows.columns[5].comparable);  // long text
    EXPECT_TRUE(rows.columns[6].comparable);

    EXPECT_EQ(rows.rows[0][1], Value(Money::fromUnits(10812)));
    EXPECT_EQ(rows.rows[0][2], Value(big));
    EXPECT_EQ(rows.rows[0][3], Value(0.125));
    EXPECT_EQ(rows.rows[0][4], Value(moment));
    EXPECT_TRUE(rows.rows[0][5].isNull());
    EXPECT_EQ(rows.rows[1][1].toMoney(), Money::fromUnits(-1234567891234));
    EXPECT_EQ(rows.rows[1][2], Value(-7));
    EXPECT_EQ(rows.rows[1][4], Value(naiveDateTime(QDate(2024, 12, 31))));
    EXPECT_EQ(rows.rows[1][5], Value(u"nota"_s));
    for (std::size_t c = 1; c < rows.rows[2].size(); ++c)
        EXPECT_TRUE(rows.rows[2][c].isNull()) << c;

    // Dates are found again by the value they were written with.
    const RowSet byDate =
        engine_->query(u"SELECT Id FROM Mov WHERE DataDoc = ?"_s, {Value(QDate(2024, 12, 31))});
    ASSERT_EQ(byDate.rows.size(), 1u);
    EXPECT_EQ(byDate.rows[0][0], Value(2));
}

// Long values among nulls and short ones: texts longer than their declared size (SQLite keeps
// them) and longer than one read of a column, long text and binary. The first query can bind every
// column; the second has a long text column, so it is read with SQLGetData.
TEST_F(OdbcEngineTest, long_values_among_nulls_read_whole) {
    QString longText;
    for (int i = 0; i < 3000; ++i)
        longText += u"linha ç%1;"_s.arg(i);
    const QString overConta = QString(40, QChar(0x00E7));  // Conta is nvarchar(15)
    const QString overDescr = longText.left(5000);         // Descr is nvarchar(100)
    const QString sql = QStringLiteral(
        "INSERT INTO Mov (Id, Conta, Descr, Valor, Notas, Anexo) VALUES (?, ?, ?, ?, ?, ?)");
    const std::vector<Params> written = {
        {1, overConta, overDescr, Value(), longText, Value()},
        {2, Value(), Value(), Money::fromUnits(15000), Value(), Value()},
        {3, u"C3"_s, QString(), Money::fromUnits(-1), u"n"_s, Value()},
        {4, overConta.left(15), overDescr.left(100), Value(), Value(), Value()},
        {5, Value(), overDescr, Money::fromUnits(7), Value(), Value()},
    };
    for (const Params& row : written)
        engine_->execute(sql, row);
    engine_->execute(u"UPDATE Mov SET Anexo = x'00ff10' WHERE Id = 1"_s, {});

    const RowSet bound =
        engine_->query(u"SELECT Id, Conta, Descr, Valor FROM Mov ORDER BY Id"_s, {});
    const RowSet whole =
        engine_->query(u"SELECT Id, Conta, Descr, Valor, Notas, Anexo FROM Mov ORDER BY Id"_s, {});
    ASSERT_EQ(bound.rows.size(), written.size());
    ASSERT_EQ(whole.rows.size(), written.size());
    for (std::size_t r = 0; r < written.size(); ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            EXPECT_EQ(bound.rows[r][c], written[r][qsizetype(c)]) << r << ' ' << c;
            EXPECT_EQ(whole.rows[r][c], written[r][qsizetype(c)]) << r << ' ' << c;
        }
        EXPECT_EQ(whole.rows[r][4], written[r][4]) << r;
    }
    EXPECT_EQ(whole.rows[0][5], Value(u"00ff10"_s));
    EXPECT_TRUE(whole.rows[1][5].isNull());
    EXPECT_FALSE(whole.columns[4].comparable);
    EXPECT_FALSE(whole.columns[5].comparable);
}

// Collects the rows of a query, stopping after `stopAfter` of them.
class Collector : public RowSink {
public:
    explicit Collector(std::size_t stopAfter = std::size_t(-1)) : stopAfter_(stopAfter) {}
    void columns(const QList<ColumnInfo>&) override {}
    bool row(std::vector<Value>& values) override {
        rows.push_back(std::move(values));
        return rows.size() < stopAfter_;
    }
    std::vector<std::vector<Value>> rows;

private:
    std::size_t stopAfter_;
};

// Numbers and dates are read a block of rows per fetch; texts and amounts too where the server
// holds values to their declared sizes, a row per fetch on SQLite. Narrow and wide results take
// turns, so a statement bound before the block buffers grew is bound again.
TEST_F(OdbcEngineTest, results_of_many_blocks_arrive_whole_and_in_order) {
    constexpr int kRows = OdbcEngine::kFetchRows * 2 + 37;
    const auto rowFor = [](int i) -> Params {
        const Value date = i % 11 == 0 ? Value()
                                       : Value(naiveDateTime(QDate(2024, 1, 1).addDays(i % 300),
                                                             QTime(i % 24, i % 60, 7)));
        return {i,
                i % 9 == 0 ? Value() : Value(i * 3),
                i * 0.5,
                date,
                i % 13 == 0 ? Value() : Value(u"C%1"_s.arg(i)),
                Money::fromUnits(i * 12345LL - 100000)};
    };
    engine_->begin();
    for (int i = 0; i < kRows; ++i) {
        engine_->insert(
            QStringLiteral(
                "INSERT INTO Mov (Id, Qtd, Taxa, DataDoc, Conta, Valor) VALUES (?, ?, ?, ?, ?, ?)"),
            rowFor(i));
    }
    engine_->commit();

    const QStringList queries = {
        u"SELECT Id FROM Mov ORDER BY Id"_s,
        u"SELECT Id, Qtd, Taxa, DataDoc FROM Mov ORDER BY Id"_s,
        u"SELECT Id FROM Mov ORDER BY Id"_s,
        u"SELECT Id, Qtd, Taxa, DataDoc, Conta, Valor FROM Mov ORDER BY Id"_s,
    };
    for (const QString& sql : queries) {
        const RowSet rows = engine_->query(sql, {});
        ASSERT_EQ(rows.rows.size(), std::size_t(kRows)) << sql.toStdString();
        for (int i = 0; i < kRows; ++i) {
            const Params expected = rowFor(i);
            const std::vector<Value>& row = rows.rows[std::size_t(i)];
            for (std::size_t c = 0; c < row.size(); ++c)
                ASSERT_EQ(row[c], expected[qsizetype(c)])
                    << sql.toStdString() << ' ' << i << ' ' << c;
        }
    }
}

TEST_F(OdbcEngineTest, a_sink_that_stops_mid_block_ends_the_query) {
    constexpr int kRows = OdbcEngine::kFetchRows * 2;
    engine_->begin();
    for (int i = 0; i < kRows; ++i)
        engine_->insert(u"INSERT INTO Mov (Id, Qtd) VALUES (?, ?)"_s, {i, i});
    engine_->commit();

    const QString sql = u"SELECT Id, Qtd FROM Mov ORDER BY Id"_s;
    Collector stopper(OdbcEngine::kFetchRows + 10);
    engine_->queryEach(sql, {}, stopper);
    ASSERT_EQ(stopper.rows.size(), std::size_t(OdbcEngine::kFetchRows + 10));
    EXPECT_EQ(stopper.rows.back()[0], Value(OdbcEngine::kFetchRows + 9));

    // The cursor is closed: another connection may write, and the statement reads from the start.
    auto other = OdbcEngine::connect(connectionString(file_) + u"Timeout=2000;"_s, 5, 30);
    EXPECT_EQ(other->execute(u"DELETE FROM Mov WHERE Id >= ?"_s, {100}), kRows - 100);
    Collector all;
    engine_->queryEach(sql, {}, all);
    ASSERT_EQ(all.rows.size(), 100u);
    EXPECT_EQ(all.rows.front()[0], Value(0));
}

TEST_F(OdbcEngineTest, missing_table_and_column_give_the_provider_numbers) {
    const auto numberOf = [](const std::function<void()>& action) -> std::int64_t {
        try {
            action();
        } catch (const DbError& error) {
            return error.number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf([&] { engine_->query(u"SELECT * FROM Nada"_s, {}); }),
              DbError::kMissingTable);
    EXPECT_EQ(numberOf([&] { engine_->query(u"SELECT Nada FROM Mov"_s, {}); }),
              DbError::kInvalidColumn);
    EXPECT_EQ(numberOf([&] {
                  engine_->execute(u"UPDATE Mov SET Nada = ? WHERE Id = ?"_s, {1, 2});
              }),
              DbError::kInvalidColumn);
    EXPECT_EQ(numberOf([&] {
                  engine_->insert(u"INSERT INTO Nada (A) VALUES (?)"_s, {1});
                  engine_->flush();
              }),
              DbError::kMissingTable);
    // The engine stays usable after a failure.
    EXPECT_EQ(count(u"Mov"_s), 0);
}

TEST_F(OdbcEngineTest, held_inserts_go_in_arrays_of_batch_rows) {
    constexpr int kRows = 1234;
    static_assert(kRows % OdbcEngine::kBatchRows != 0);
    const auto rowFor = [](int i) -> Params {
        // Nulls, texts of every length and integers among the amounts in the same batch.
        const Value descr = i % 7 == 0 ? Value() : Value(QString(i % 60, QLatin1Char('d')));
        const Value valor = i % 5 == 0 ? Value(i) : Value(Money::fromUnits(i * 10001LL - 500000));
        return {i, u"C%1"_s.arg(i), descr, valor,
                Value(naiveDateTime(QDate(2024, 1, 1).addDays(i % 366), QTime(i % 24, 0)))};
    };

    engine_->begin();
    for (int i = 0; i < kRows; ++i)
        engine_->insert(insertMov(), rowFor(i));
    engine_->commit();

    const RowSet rows =
        engine_->query(u"SELECT Id, Conta, Descr, Valor, DataDoc FROM Mov ORDER BY Id"_s, {});
    ASSERT_EQ(rows.rows.size(), std::size_t(kRows));
    for (int i = 0; i < kRows; ++i) {
        const Params expected = rowFor(i);
        const std::vector<Value>& row = rows.rows[std::size_t(i)];
        ASSERT_EQ(row[0], expected[0]) << i;
        EXPECT_EQ(row[1], expected[1]) << i;
        EXPECT_EQ(row[2], expected[2]) << i;
        EXPECT_EQ(row[3].toMoney(), expected[3].toMoney()) << i;
        EXPECT_EQ(row[4], expected[4]) << i;
    }
}

TEST_F(OdbcEngineTest, held_inserts_are_sent_before_anything_else) {
    engine_->begin();
    engine_->insert(insertMov(), {1, u"A"_s, Value(), Value(), Value()});
    engine_->insert(insertMov(), {2, u"B"_s, Value(), Value(), Value()});
    // Another statement sends what was held first.
    engine_->insert(insertCambio(), cambioRow(0));
    EXPECT_EQ(count(u"Mov"_s), 2);
    EXPECT_EQ(count(u"Cambio"_s), 1);
    engine_->commit();

    // A statement reused after the table changed shape sees the new shape.
    EXPECT_EQ(engine_->query(u"SELECT * FROM Cambio"_s, {}).columns.size(), 3);
    engine_->execute(u"ALTER TABLE Cambio ADD COLUMN Origem nvarchar(10)"_s, {});
    EXPECT_EQ(engine_->query(u"SELECT * FROM Cambio"_s, {}).columns.size(), 4);
}

TEST_F(OdbcEngineTest, insert_outside_a_transaction_is_sent_and_refused_by_itself) {
    const auto stored = [this] {
        return connect()->query(u"SELECT count(*) FROM Cambio"_s, {}).rows[0][0].toInt();
    };
    engine_->insert(insertCambio(), cambioRow(0));
    EXPECT_EQ(stored(), 1);  // another connection sees it: nothing is held back
    try {
        engine_->insert(insertCambio(), cambioRow(0));
        FAIL() << "a duplicate key was accepted";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("UNIQUE"))) << error.what();
    }
    // The next statement and a connection let go without a close owe nothing to the failure.
    engine_->insert(insertCambio(), cambioRow(1));
    engine_.reset();
    EXPECT_EQ(stored(), 2);
}

TEST_F(OdbcEngineTest, failing_row_in_a_batch_leaves_nothing_after_rollback) {
    // Held rows: the failure surfaces at the commit, inside the transaction.
    engine_->begin();
    for (int i = 0; i < 600; ++i)
        engine_->insert(insertCambio(), cambioRow(i == 550 ? 3 : i));
    try {
        engine_->commit();
        FAIL() << "a duplicate key was accepted";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("UNIQUE"))) << error.what();
        EXPECT_TRUE(error.message().contains(QLatin1String("linha 51 de 100"))) << error.what();
    }
    EXPECT_TRUE(engine_->inTransaction());
    engine_->rollback();
    EXPECT_FALSE(engine_->inTransaction());
    EXPECT_EQ(count(u"Cambio"_s), 0);

    // A full batch is sent by the insert that fills it, which then reports the failure.
    engine_->begin();
    for (int i = 0; i < OdbcEngine::kBatchRows - 1; ++i)
        engine_->insert(insertCambio(), cambioRow(i));
    EXPECT_THROW(engine_->insert(insertCambio(), cambioRow(10)), DbError);
    engine_->rollback();
    EXPECT_EQ(count(u"Cambio"_s), 0);
}

TEST_F(OdbcEngineTest, transactions) {
    engine_->begin();
    EXPECT_THROW(engine_->begin(), DbError);
    engine_->insert(insertCambio(), cambioRow(0));
    engine_->rollback();
    EXPECT_EQ(count(u"Cambio"_s), 0);

    engine_->begin();
    engine_->execute(insertCambio(), cambioRow(0));
    engine_->commit();
    EXPECT_FALSE(engine_->inTransaction());
    EXPECT_THROW(engine_->commit(), DbError);
    EXPECT_EQ(count(u"Cambio"_s), 1);

    // Closing with a transaction open rolls it back.
    engine_->begin();
    engine_->execute(insertCambio(), cambioRow(1));
    engine_.reset();
    engine_ = connect();
    EXPECT_EQ(count(u"Cambio"_s), 1);

    EXPECT_EQ(engine_->execute(u"UPDATE Cambio SET Cambio = ? WHERE Moeda = ?"_s,
                               {Money::fromWhole(2), u"USD"_s}),
              1);
    EXPECT_EQ(engine_->execute(u"DELETE FROM Cambio WHERE Moeda = ?"_s, {u"EUR"_s}), 0);
}

// A missing file is refused on both engines (DataAccessTest); a folder name out of ASCII reaches
// the driver intact.
TEST_F(OdbcEngineTest, a_folder_name_out_of_ascii_reaches_the_driver) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"Documentação"_s));
    const QString moved = dir_.filePath(u"Documentação/odbc.db"_s);
    engine_.reset();
    ASSERT_TRUE(QFile::rename(file_, moved));
    EXPECT_EQ(OdbcEngine::connect(connectionString(moved), 5, 30)
                  ->query(u"SELECT * FROM Mov"_s, {})
                  .columns.size(),
              9);
}

}  // namespace
}  // namespace agrimor
