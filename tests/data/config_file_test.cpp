#include "data/config_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "data/data_folder.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

void write(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

class ConfigFileTest : public ::testing::Test {
protected:
    QString config() const { return folder.file(QStringLiteral("Agrimor.zeb")); }
    QString fallback() const { return folder.file(QStringLiteral("Catalogos/bd.sql")); }
    test::TempFolder folder;
};

TEST_F(ConfigFileTest, values_are_taken_verbatim_and_keys_ignore_case) {
    write(config(),
          QStringLiteral("# consolidated\n[Database]\nserver = srv\\inst\nDATABASE=Cons\n"
                         "User=sa\nPassword= p;w=d#1 \n[ODBC]\nPort=1533\nLoginTimeout=3\n"));
    const ConnectionSettings s = readConnectionConfig(config(), fallback());
    EXPECT_EQ(s.server, QStringLiteral("srv\\inst"));
    EXPECT_EQ(s.database, QStringLiteral("Cons"));
    EXPECT_EQ(s.password, QStringLiteral("p;w=d#1"));
    EXPECT_EQ(s.odbc.port, 1533);
    EXPECT_EQ(s.odbc.loginTimeoutSeconds, 3);
    EXPECT_EQ(s.odbc.driver, QStringLiteral("FreeTDS"));
    // The password is braced in the connection string, so its ';' can not start a new key.
    EXPECT_TRUE(s.odbcConnectionString().contains(QStringLiteral("PWD={p;w=d#1};")));
}

TEST_F(ConfigFileTest, an_empty_user_takes_all_four_values_from_the_fallback) {
    write(config(), QStringLiteral("[Database]\nServer=a\nDatabase=b\nUser=\nPassword=x\n"));
    write(fallback(), QStringLiteral("[Database]\nServer=fs\nDatabase=fd\nUser=fu\nPassword=\n"));
    const ConnectionSettings s = readConnectionConfig(config(), fallback());
    EXPECT_EQ(s.server, QStringLiteral("fs"));
    EXPECT_EQ(s.database, QStringLiteral("fd"));
    EXPECT_EQ(s.user, QStringLiteral("fu"));
    EXPECT_EQ(s.password, QString());
}

TEST_F(ConfigFileTest, missing_incomplete_or_malformed_files_say_which_file) {
    try {
        readConnectionConfig(config(), fallback());
        FAIL();
    } catch (const ConfigError& e) {
        EXPECT_TRUE(e.message().contains(config()));
        EXPECT_TRUE(e.message().contains(fallback()));
    }
    write(config(), QStringLiteral("[Database]\nServer=a\nDatabase=b\nUser=c\n[Odbc]\nPort=abc\n"));
    try {
        readConnectionConfig(config(), fallback());
        FAIL();
    } catch (const ConfigError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("abc")));
    }
    write(config(), QStringLiteral("[Database]\nServer a\n"));
    EXPECT_THROW(readConnectionConfig(config(), fallback()), ConfigError);
}

TEST_F(ConfigFileTest,
       data_folder_is_the_first_shared_corvane_then_the_users_then_the_executables) {
    const QString shared = folder.file(QStringLiteral("share"));
    const QString home = folder.file(QStringLiteral("home"));
    QDir().mkpath(shared);
    qputenv("XDG_DATA_DIRS", (folder.path() + QStringLiteral("/none:") + shared).toUtf8());
    qputenv("XDG_DATA_HOME", home.toUtf8());
    EXPECT_EQ(findDataFolder(QStringLiteral("/opt/agrimor/bin")),
              QStringLiteral("/opt/agrimor/bin"));
    // The user's own folder serves where the machine has none, and never hides the machine's.
    QDir().mkpath(home + QStringLiteral("/corvane"));
    EXPECT_EQ(findDataFolder(QStringLiteral("/opt/agrimor/bin")),
              home + QStringLiteral("/corvane"));
    QDir().mkpath(shared + QStringLiteral("/corvane"));
    const StartupFiles files = locateStartupFiles(QStringLiteral("/opt/agrimor/bin"));
    EXPECT_EQ(files.dataFolder, shared + QStringLiteral("/corvane"));
    EXPECT_EQ(files.configFile, shared + QStringLiteral("/corvane/Agrimor.zeb"));
    EXPECT_EQ(files.fallbackFile, QStringLiteral("/opt/agrimor/bin/Catalogos/bd.sql"));
    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace agrimor
