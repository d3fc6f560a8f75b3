#include "ledger/company_settings_store.h"

#include <gtest/gtest.h>

#include "data/own_tables.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/test_databases.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

class CompanySettingsStore : public ::testing::TestWithParam<test::EngineKind> {
protected:
    void SetUp() override {
        db = test::createDatabase(GetParam(), folder.path(), u"consolidado.db"_s);
        ensureOwnTables(*db);
    }

    test::TempFolder folder;
    std::unique_ptr<DataAccess> db;
};

// Whichever screen creates a company's row, the upgraded table's NOT NULL series columns are
// filled, and the other screen's later store keeps what the first one wrote.
TEST_P(CompanySettingsStore, either_screen_creates_the_row_and_the_other_completes_it) {
    CompanySettingsRow class9;
    class9.tpDocCL9 = u"CL9"_s;
    class9.serieCL9 = u"1"_s;
    class9.diarioCL9 = u"09"_s;
    storeCompanySettingsRow(*db, 1, class9, SettingsColumns::Class9);

    CompanySettingsRow consolidation;
    consolidation.setor = u"01"_s;
    consolidation.tpDoc = u"CNS"_s;
    consolidation.serie = u"7"_s;
    consolidation.moeda = u"USD"_s;
    consolidation.ateMes = 1;
    storeCompanySettingsRow(*db, 2, consolidation, SettingsColumns::Consolidation);

    std::optional<CompanySettingsRow> first = readCompanySettingsRow(*db, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->serie, QString());  // filled, not null
    EXPECT_EQ(first->diarioCL9, u"09"_s);
    EXPECT_FALSE(first->setor);  // a null column reads as nothing
    EXPECT_FALSE(first->dataMov);
    EXPECT_FALSE(first->ateMes);

    std::optional<CompanySettingsRow> second = readCompanySettingsRow(*db, 2);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->serieCL9, QString());
    EXPECT_FALSE(second->tpDocCL9);

    storeCompanySettingsRow(*db, 2, class9, SettingsColumns::Class9);
    second = readCompanySettingsRow(*db, 2);
    EXPECT_EQ(second->serie, u"7"_s);
    EXPECT_EQ(second->moeda, u"USD"_s);
    EXPECT_EQ(second->ateMes, 1);
    EXPECT_EQ(second->serieCL9, u"1"_s);
    EXPECT_EQ(test::countRows(*db, u"zeb_CNS_DadosIniciais"_s), 2);
    EXPECT_FALSE(readCompanySettingsRow(*db, 3));
}

INSTANTIATE_TEST_SUITE_P(BothEngines, CompanySettingsStore,
                         ::testing::Values(test::EngineKind::Sqlite, test::EngineKind::OdbcSqlite));

}  // namespace
}  // namespace agrimor
