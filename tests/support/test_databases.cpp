#include "tests/support/test_databases.h"

#include <gtest/gtest.h>

#include "data/sqlite_engine.h"
#include "data/statement_recorder.h"

namespace agrimor::test {

using namespace Qt::StringLiterals;

namespace {

// The statement log names the test that sent each statement (data/statement_recorder.h); child
// processes the test starts inherit the name.
class StatementSourceListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        qputenv("AGRIMOR_STATEMENT_SOURCE",
                QByteArray(test.test_suite_name()) + '.' + QByteArray(test.name()));
    }
};

const bool kSourceListenerInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new StatementSourceListener);
    return true;
}();

}  // namespace

TempFolder::TempFolder() {
    EXPECT_TRUE(dir_.isValid());
}

ConnectionSettings settingsFor(EngineKind kind, const QString& folder, const QString& fileName) {
    ConnectionSettings settings;
    settings.database = fileName;
    settings.dataFolder = folder;
    settings.user = u"test"_s;
    if (kind == EngineKind::Sqlite) {
        settings.server = u"sqlite"_s;
    } else {
        settings.server = u"odbc"_s;
        settings.odbc.driver = u"SQLite3"_s;
    }
    return settings;
}

std::unique_ptr<DataAccess> createDatabase(EngineKind kind, const QString& folder,
                                           const QString& fileName, const QString& script) {
    {
        auto engine = SqliteEngine::open(folder + QLatin1Char('/') + fileName, true);
        if (!script.isEmpty())
            engine->executeScript(script);
    }
    auto db = std::make_unique<DataAccess>();
    db->connect(settingsFor(kind, folder, fileName));
    return db;
}

int countRows(DataAccess& db, const QString& table, const QString& where, const Params& params) {
    const StatementRecordingPause testsOwnReading;
    QString sql = u"SELECT count(*) FROM "_s + table;
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    return static_cast<int>(db.openReadOnly(sql, params).field(0).toInt());
}

Recordset movementsOf(DataAccess& db, const QString& tpDoc, const QString& serie) {
    const StatementRecordingPause testsOwnReading;
    if (serie.isEmpty())
        return db.openReadOnly(u"SELECT * FROM MovCTB WHERE TpDoc = ? ORDER BY NumDoc, NumLinha"_s,
                               {tpDoc});
    return db.openReadOnly(
        QStringLiteral(
            "SELECT * FROM MovCTB WHERE TpDoc = ? AND Serie = ? ORDER BY NumDoc, NumLinha"),
        {tpDoc, serie});
}

}  // namespace agrimor::test
