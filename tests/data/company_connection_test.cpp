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

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

// The consolidated database with the program's tables, and one company file beside it. Both are
// reached on the engine under test: a company's server text "sqlite" picks SQLite itself, any
// other text the ODBC path (here the SQLite ODBC driver of the shared connection's options).
class CompanyConnectionTest : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        shared = test::createDatabase(GetParam(), folder.path(), u"cons.db"_s);
        ensureOwnTables(*shared);
        test::createDatabase(EngineKind::Sqlite, folder.path(), u"empresa.db"_s,
                             QStringLiteral("CREATE TABLE Empresa (Nome nvarchar(30));"
                                            "INSERT INTO Empresa VALUES ('Velmor Norte');"));
    }

    QString companyServer() const {
        return GetParam() == EngineKind::Sqlite ? u"sqlite"_s : u"via-odbc"_s;
    }

    CompanyParameters company(const QString& database = u"empresa.db"_s) const {
        return {companyServer(), u"demo"_s, QString(), database, false};
    }

    void addRow(const Value& bd, const Value& server, const Value& user, const Value& password,
                const Value& database) {
        shared->execute(QStringLiteral("INSERT INTO zeb_CNS_Parametros "
                                       "(BD, Servidor, Utilizador, Password, Empresa) "
                                       "VALUES (?, ?, ?, ?, ?)"),
                        {bd, server, user, password, database});
    }

    QList<QStringList> rowsOf(int bd) {
        Recordset rs =
            shared->openReadOnly(u"SELECT * FROM zeb_CNS_Parametros WHERE BD = ?"_s, {bd});
        QList<QStringList> rows;
        for (; !rs.eof(); rs.moveNext())
            rows << QStringList{rs.field(u"Servidor"_s).toText(),
                                rs.field(u"Utilizador"_s).toText(),
                                rs.field(u"Password"_s).toText(), rs.field(u"Empresa"_s).toText()};
        return rows;
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> shared;
};

TEST_P(CompanyConnectionTest, reading_takes_the_first_row_and_reads_nulls_as_empty_text) {
    addRow(2, {}, {}, {}, {});
    addRow(3, u"srv1"_s, u"u1"_s, u"p1"_s, u"first"_s);
    addRow(3, u"srv2"_s, u"u2"_s, u"p2"_s, u"second"_s);

    const CompanyParameters none = readCompanyParameters(*shared, 1);
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.isEmpty());

    const CompanyParameters nulls = readCompanyParameters(*shared, 2);
    EXPECT_TRUE(nulls.found);
    EXPECT_TRUE(nulls.isEmpty());

    const CompanyParameters first = readCompanyParameters(*shared, 3);
    EXPECT_TRUE(first.found);
    EXPECT_EQ(first.server, u"srv1"_s);
    EXPECT_EQ(first.user, u"u1"_s);
    EXPECT_EQ(first.password, u"p1"_s);
    EXPECT_EQ(first.database, u"first"_s);
}

TEST_P(CompanyConnectionTest, storing_adds_a_missing_row_and_changes_only_the_first_of_several) {
    addRow(3, u"srv1"_s, u"u1"_s, u"p1"_s, u"first"_s);
    addRow(3, u"srv2"_s, u"u2"_s, u"p2"_s, u"second"_s);

    storeCompanyParameters(*shared, 4, company());
    EXPECT_EQ(rowsOf(4),
              (QList<QStringList>{{companyServer(), u"demo"_s, QString(), u"empresa.db"_s}}));
    EXPECT_TRUE(readCompanyParameters(*shared, 4).found);

    storeCompanyParameters(*shared, 3, company(u"novo"_s));
    EXPECT_EQ(rowsOf(3), (QList<QStringList>{{companyServer(), u"demo"_s, QString(), u"novo"_s},
                                             {u"srv2"_s, u"u2"_s, u"p2"_s, u"second"_s}}));
    EXPECT_FALSE(shared->inTransaction());
}

TEST_P(CompanyConnectionTest, opens_the_company_file_in_the_data_folder) {
    const auto db = openCompanyDatabase(*shared, company());
    EXPECT_EQ(db->openReadOnly(u"SELECT Nome FROM Empresa"_s).field(0).toText(), u"Velmor Norte"_s);
    EXPECT_NO_THROW(testCompanyConnection(*shared, company()));

    // A quote in the name is part of the file name.
    const QString odd = u"Velmor's x.db"_s;
    test::createDatabase(EngineKind::Sqlite, folder.path(), odd);
    EXPECT_NO_THROW(testCompanyConnection(*shared, company(odd)));
}

TEST_P(CompanyConnectionTest, a_missing_company_file_fails_and_is_not_created) {
    const CompanyParameters missing = company(u"naoexiste.db"_s);
    EXPECT_THROW(openCompanyDatabase(*shared, missing), DbError);
    EXPECT_THROW(testCompanyConnection(*shared, missing), DbError);
    // Without a database name the data folder itself is named, which is no database either.
    EXPECT_THROW(testCompanyConnection(*shared, company(QString())), DbError);
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"naoexiste.db"_s)));
}

TEST_P(CompanyConnectionTest, a_file_that_is_no_database_fails_and_is_left_as_it_was) {
    const QByteArray text("[Ligacao]\r\nServidor=sqlite\r\nEmpresa=cons.db\r\n");
    QFile file(folder.file(u"Agrimor.zeb"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    try {
        testCompanyConnection(*shared, company(u"Agrimor.zeb"_s));
        ADD_FAILURE() << "connected to a file that is no database";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.message().contains(u"Agrimor.zeb"_s)) << error.message().toStdString();
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text);
}

INSTANTIATE_TEST_SUITE_P(Engines, CompanyConnectionTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite));

TEST(CompanySettings, take_the_data_folder_and_odbc_options_of_the_shared_connection) {
    test::TempFolder folder;
    auto shared = test::createDatabase(EngineKind::Sqlite, folder.path(), u"c.db"_s);
    ConnectionSettings settings = shared->settings();
    settings.odbc.loginTimeoutSeconds = 3;
    settings.odbc.port = 1444;
    shared->connect(settings);

    const ConnectionSettings company =
        companySettings(*shared, {u"srv"_s, u"u"_s, u"p"_s, u"Empresa1"_s, true});
    EXPECT_EQ(company.database, u"Empresa1"_s);
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
    auto shared = test::createDatabase(EngineKind::Sqlite, folder.path(), u"c.db"_s);
    ConnectionSettings settings = shared->settings();
    settings.odbc.loginTimeoutSeconds = 2;
    settings.odbc.port = server.port();
    shared->connect(settings);

    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(
        testCompanyConnection(*shared, {u"127.0.0.1"_s, u"sa"_s, u"x"_s, u"Empresa1"_s, true}),
        DbError);
    // Without the login timeout the attempt waits for the server for good; the bound is loose
    // on purpose, it only tells a timeout from a hang.
    EXPECT_LT(clock.elapsed(), 30000);
}

}  // namespace
}  // namespace agrimor
