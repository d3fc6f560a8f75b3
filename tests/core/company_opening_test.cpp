#include "core/company_opening.h"

#include <gtest/gtest.h>

#include <QDir>

#include "core/anomaly_list.h"
#include "data/data_access.h"
#include "data/own_tables.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

class CompanyOpeningTest : public ::testing::Test {
protected:
    void SetUp() override {
        shared = test::createDatabase(EngineKind::Sqlite, folder.path(), u"cons.db"_s);
        ensureOwnTables(*shared);
        test::createDatabase(EngineKind::Sqlite, folder.path(), u"empresa.db"_s);
    }

    static CompanyParameters sqliteCompany(const QString& file) {
        return {u"sqlite"_s, u"demo"_s, QString(), file, true};
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> shared;
    AnomalyList anomalies;
    test::ScriptedPrompter prompter;
};

TEST_F(CompanyOpeningTest, the_consolidation_and_class9_screens_collect_the_failure_as_an_anomaly) {
    anomalies.append(u"anterior"_s);
    EXPECT_FALSE(connectCompany(*shared, sqliteCompany(u"falta.db"_s),
                                CompanyOpenFailureReport::toAnomalies(anomalies)));
    // No row at all: four empty values, which reach no database either.
    EXPECT_FALSE(connectCompany(*shared, CompanyParameters{},
                                CompanyOpenFailureReport::toAnomalies(anomalies)));
    EXPECT_EQ(anomalies.items(),
              (QStringList{u"anterior"_s, u"Parâmetros de ligação à BD incorretos"_s,
                           u"Parâmetros de ligação à BD incorretos"_s}));
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(CompanyOpeningTest, the_import_screen_tells_the_user_at_once) {
    EXPECT_FALSE(connectCompany(*shared, sqliteCompany(u"falta.db"_s),
                                CompanyOpenFailureReport::toUser(prompter)));
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(prompter.prompts()[0].kind, PromptKind::Information);
    EXPECT_EQ(prompter.lastText(), u"Não foi possível abrir a Empresa indicada !"_s);
    EXPECT_TRUE(anomalies.isEmpty());
    EXPECT_FALSE(QDir(folder.path()).exists(u"falta.db"_s));
}

}  // namespace
}  // namespace agrimor
