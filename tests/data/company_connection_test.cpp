#include "data/company_connection.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include "data/data_access.h"
#include "data/db_error.h"
#include "data/own_tables.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using test::EngineKind;

// The consolidated database with the program's tables, and one company file beside it. Both are
// reached on the engine under test: a company's server text "sqlite" picks SQLite itself, any
// other text the ODBC path (here the SQLite ODBC driver of the shared connection's options).
class CompanyConnectionTest : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        shared = test::createDatabase(GetParam(), folder.path(), QStringLiteral("cons.db"));
        ensureOwnTables(*shared);
        test::createDatabase(EngineKind::Sqlite, folder.path(), QStringLiteral("empresa.db"),
                             QStringLiteral("CREATE TABLE Empresa (Nome nvarchar(30));"
                                            "INSERT INTO Empresa VALUES ('Velmor Norte');"));
    }

    QString companyServer() const {
        return GetParam() == EngineKind::Sqlite ? QStringLiteral("sqlite")
                                                : QStringLiteral("via-odbc");
    }

    CompanyParameters company(const QString& database = QStringLiteral("empresa.db")) const {
        return {companyServer(), QStringLiteral("demo"), QString(), database, false};
    }

    void addRow(const Value& bd, const Value& server, const Value& user, const Value& password,
                const Value& database) {
        shared->execute(QStringLiteral("INSERT INTO zeb_CNS_Parametros "
                                       "(BD, Servidor, Utilizador, Password, Empresa) "
                                       "VALUES (?, ?, ?, ?, ?)"),
                        {bd, server, user, password, database});
    }

    QList<QStringList> rowsOf(int bd) {
        Recordset rs = shared->openReadOnly(
            QStringLiteral("SELECT * FROM zeb_CNS_Parametros WHERE BD = ?"), {bd});
        QList<QStringList> rows;
        for (; !rs.eof(); rs.moveNext())
            rows << QStringList{rs.field(QStringLiteral("Servidor")).toText(),
                                rs.field(QStringLiteral("Utilizador")).toText(),
                                rs.field(QStringLiteral("Password")).toText(),
                                rs.field(QStringLiteral("Empresa")).toText()};
        return rows;
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> shared;
};

TEST_P(CompanyConnectionTest, reading_takes_the_first_row_and_reads_nulls_as_empty_text) {
    addRow(2, {}, {}, {}, {});
    addRow(3, QStringLiteral("srv1"), QStringLiteral("u1"), QStringLiteral("p1"),
           QStringLiteral("first"));
    addRow(3, QStringLiteral("srv2"), QStringLiteral("u2"), QStringLiteral("p2"),
           QStringLiteral("second"));

    const CompanyParameters none = readCompanyParameters(*shared, 1);
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.isEmpty());

    const CompanyParameters nulls = readCompanyParameters(*shared, 2);
    EXPECT_TRUE(nulls.found);
    EXPECT_TRUE(nulls.isEmpty());

    const CompanyParameters first = readCompanyParameters(*shared, 3);
    EXPECT_TRUE(first.found);
    EXPECT_EQ(first.server, QStringLiteral("srv1"));
    EXPECT_EQ(first.user, QStringLiteral("u1"));
    EXPECT_EQ(first.password, QStringLiteral("p1"));
    EXPECT_EQ(first.database, QStringLiteral("first"));
}

TEST_P(CompanyConnectionTest, storing_adds_a_missing_row_and_changes_only_the_first_of_several) {
    addRow(3, QStringLiteral("srv1"), QStringLiteral("u1"), QStringLiteral("p1"),
           QStringLiteral("first"));
    addRow(3, QStringLiteral("srv2"), QStringLiteral("u2"), QStringLiteral("p2"),
           QStringLiteral("second"));

    storeCompanyParameters(*shared, 4, company());
    EXPECT_EQ(rowsOf(4), (QList<QStringList>{{companyServer(), QStringLiteral("demo"), QString(),
                                              QStringLiteral("empresa.db")}}));
    EXPECT_TRUE(readCompanyParameters(*shared, 4).found);

    storeCompanyParameters(*shared, 3, company(QStringLiteral("novo")));
    EXPECT_EQ(rowsOf(3), (QList<QStringList>{{companyServer(), QStringLiteral("demo"), QString(),
                                              QStringLiteral("novo")},
                                             {QStringLiteral("srv2"), QStringLiteral("u2"),
                                              QStringLiteral("p2"), QStringLiteral("second")}}));
    EXPECT_FALSE(shared->inTransaction());
}

TEST_P(CompanyConnectionTest, opens_the_company_file_in_the_data_folder) {
    const auto db = openCompanyDatabase(*shared, company());
    EXPECT_EQ(db->openReadOnly(QStringLiteral("SELECT Nome FROM Empresa")).field(0).toText(),
              QStringLiteral("Velmor Norte"));
    EXPECT_NO_THROW(testCompanyConnection(*shared, company()));

    // A quote in the name is part of the file name.
    const QString odd = QStringLiteral("Velmor's x.db");
    test::createDatabase(EngineKind::Sqlite, folder.path(), odd);
    EXPECT_NO_THROW(testCompanyConnection(*shared, company(odd)));
}

TEST_P(CompanyConnectionTest, a_missing_company_file_fails_and_is_not_created) {
    const CompanyParameters missing = company(QStringLiteral("naoexiste.db"));
    EXPECT_THROW(openCompanyDatabase(*shared, missing), DbError);
    EXPECT_THROW(testCompanyConnection(*shared, missing), DbError);
    // Without a database name the data folder itself is named, which is no database either.
    EXPECT_THROW(testCompanyConnection(*shared, company(QString())), DbError);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("naoexiste.db"))));
}

TEST_P(CompanyConnectionTest, a_file_that_is_no_database_fails_and_is_left_as_it_was) {
    const QByteArray text("[Ligacao]\r\nServidor=sqlite\r\nEmpresa=cons.db\r\n");
    QFile file(folder.file(QStringLiteral("Agrimor.zeb")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    try {
        testCompanyConnection(*shared, company(QStringLiteral("Agrimor.zeb")));
        ADD_FAILURE() << "connected to a file that is no database";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("Agrimor.zeb")))
            << error.message().toStdString();
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text);
}

INSTANTIATE_TEST_SUITE_P(Engines, CompanyConnectionTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite));

TEST(CompanySettings, take_the_data_folder_and_odbc_options_of_the_shared_connection) {
    test::TempFolder folder;
    auto shared = test::createDatabase(EngineKind::Sqlite, folder.path(), QStringLiteral("c.db"));
    ConnectionSettings settings = shared->settings();
    settings.odbc.loginTimeoutSeconds = 3;
    settings.odbc.port = 1444;
    shared->connect(settings);

    const ConnectionSettings company =
        companySettings(*shared, {QStringLiteral("srv"), QStringLiteral("u"), QStringLiteral("p"),
                                  QStringLiteral("Empresa1"), true});
    EXPECT_EQ(company.database, QStringLiteral("Empresa1"));
    EXPECT_EQ(company.dataFolder, folder.path());
    EXPECT_EQ(company.odbc.loginTimeoutSeconds, 3);
    EXPECT_EQ(company.odbc.port, 1444);
}

// A port that accepts connections and never answers, as a hung server does.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
        EXPECT_EQ(::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST(CompanyConnection, a_server_that_never_answers_fails_after_the_login_timeout) {
    test::TempFolder folder;
    SilentServer server;
    auto shared = test::createDatabase(EngineKind::Sqlite, folder.path(), QStringLiteral("c.db"));
    ConnectionSettings settings = shared->settings();
    settings.odbc.loginTimeoutSeconds = 2;
    settings.odbc.port = server.port();
    shared->connect(settings);

    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(
        testCompanyConnection(*shared, {QStringLiteral("127.0.0.1"), QStringLiteral("sa"),
                                        QStringLiteral("x"), QStringLiteral("Empresa1"), true}),
        DbError);
    // Without the login timeout the attempt waits for the server for good; the bound is loose
    // on purpose, it only tells a timeout from a hang.
    EXPECT_LT(clock.elapsed(), 30000);
}

}  // namespace
}  // namespace agrimor
