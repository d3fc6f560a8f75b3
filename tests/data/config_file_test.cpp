#include "data/config_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "data/data_folder.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

void write(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

class ConfigFileTest : public ::testing::Test {
protected:
    QString config() const { return folder.file(u"Agrimor.zeb"_s); }
    QString fallback() const { return folder.file(u"Catalogos/bd.sql"_s); }
    test::TempFolder folder;
};

TEST_F(ConfigFileTest, values_are_taken_verbatim_and_keys_ignore_case) {
    write(config(),
          QStringLiteral("# consolidated\n[Database]\nserver = srv\\inst\nDATABASE=Cons\n"
                         "User=sa\nPassword= p;w=d#1 \n[ODBC]\nPort=1533\nLoginTimeout=3\n"));
    const ConnectionSettings s = readConnectionConfig(config(), fallback());
    EXPECT_EQ(s.server, u"srv\\inst"_s);
    EXPECT_EQ(s.database, u"Cons"_s);
    EXPECT_EQ(s.password, u"p;w=d#1"_s);
    EXPECT_EQ(s.odbc.port, 1533);
    EXPECT_EQ(s.odbc.loginTimeoutSeconds, 3);
    EXPECT_EQ(s.odbc.driver, u"FreeTDS"_s);
    // The password is braced in the connection string, so its ';' can not start a new key.
    EXPECT_TRUE(s.odbcConnectionString().contains(u"PWD={p;w=d#1};"_s));
}

TEST_F(ConfigFileTest, an_empty_user_takes_all_four_values_from_the_fallback) {
    write(config(), u"[Database]\nServer=a\nDatabase=b\nUser=\nPassword=x\n"_s);
    write(fallback(), u"[Database]\nServer=fs\nDatabase=fd\nUser=fu\nPassword=\n"_s);
    const ConnectionSettings s = readConnectionConfig(config(), fallback());
    EXPECT_EQ(s.server, u"fs"_s);
    EXPECT_EQ(s.database, u"fd"_s);
    EXPECT_EQ(s.user, u"fu"_s);
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
    write(config(), u"[Database]\nServer=a\nDatabase=b\nUser=c\n[Odbc]\nPort=abc\n"_s);
    try {
        readConnectionConfig(config(), fallback());
        FAIL();
    } catch (const ConfigError& e) {
        EXPECT_TRUE(e.message().contains(u"abc"_s));
    }
    write(config(), u"[Database]\nServer a\n"_s);
    EXPECT_THROW(readConnectionConfig(config(), fallback()), ConfigError);
}

TEST_F(ConfigFileTest,
       data_folder_is_the_first_shared_corvane_then_the_users_then_the_executables) {
    const QString shared = folder.file(u"share"_s);
    const QString home = folder.file(u"home"_s);
    QDir().mkpath(shared);
    qputenv("XDG_DATA_DIRS", (folder.path() + u"/none:"_s + shared).toUtf8());
    qputenv("XDG_DATA_HOME", home.toUtf8());
    EXPECT_EQ(findDataFolder(u"/opt/agrimor/bin"_s), u"/opt/agrimor/bin"_s);
    // The user's own folder serves where the machine has none, and never hides the machine's.
    QDir().mkpath(home + u"/corvane"_s);
    EXPECT_EQ(findDataFolder(u"/opt/agrimor/bin"_s), home + u"/corvane"_s);
    QDir().mkpath(shared + u"/corvane"_s);
    const StartupFiles files = locateStartupFiles(u"/opt/agrimor/bin"_s);
    EXPECT_EQ(files.dataFolder, shared + u"/corvane"_s);
    EXPECT_EQ(files.configFile, shared + u"/corvane/Agrimor.zeb"_s);
    EXPECT_EQ(files.fallbackFile, u"/opt/agrimor/bin/Catalogos/bd.sql"_s);
    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace agrimor
