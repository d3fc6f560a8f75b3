#include "tools/seeder/demo_seeder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <memory>

#include "data/config_file.h"
#include "data/data_access.h"
#include "tests/support/test_databases.h"

namespace agrimor {
namespace {

using demo::Company;

QString key(const Recordset& row, const char* typeColumn = "TpDoc") {
    return QStringLiteral("%1/%2/%3/%4/%5")
        .arg(row.field(QLatin1String(typeColumn)).toText(),
             row.field(QStringLiteral("Ano")).toText(), row.field(QStringLiteral("Serie")).toText(),
             row.field(QStringLiteral("NumDoc")).toText(),
             row.field(QStringLiteral("NumLinha")).toText());
}

class SeededDemo : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        summary_ = new demo::SeedSummary(demo::seedDemo(folder_->path()));
    }
    static void TearDownTestSuite() {
        delete summary_;
        delete folder_;
    }

    static QString file(const QString& name) { return folder_->file(name); }
    static std::unique_ptr<DataAccess> company(const Company& company) {
        return demo::openDatabase(file(company.file));
    }
    static std::unique_ptr<DataAccess> consolidated() {
        return demo::openDatabase(file(demo::consolidatedFileName()));
    }

    static test::TempFolder* folder_;
    static demo::SeedSummary* summary_;
};

test::TempFolder* SeededDemo::folder_ = nullptr;
demo::SeedSummary* SeededDemo::summary_ = nullptr;

TEST_F(SeededDemo, ConfigurationAndParametersReachEveryDatabase) {
    ConnectionSettings settings = readConfigFile(file(demo::configFileName())).settings;
    settings.dataFolder = folder_->path();
    EXPECT_TRUE(settings.isEmbedded());
    DataAccess db;
    db.connect(settings);

    Recordset parameters =
        db.openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_Parametros ORDER BY BD"));
    ASSERT_EQ(parameters.rowCount(), 6);
    for (const Company& company : demo::companies()) {
        EXPECT_EQ(parameters.field(QStringLiteral("BD")).toInt(), company.bd);
        ConnectionSettings target;
        target.server = parameters.field(QStringLiteral("Servidor")).toText();
        target.database = parameters.field(QStringLiteral("Empresa")).toText();
        target.user = parameters.field(QStringLiteral("Utilizador")).toText();
        target.password = parameters.field(QStringLiteral("Password")).toText();
        target.dataFolder = folder_->path();
        EXPECT_FALSE(QDir::isAbsolutePath(target.database)) << "the demo folder can be moved";
        EXPECT_LE(target.database.size(), 30);
        DataAccess individual;
        EXPECT_NO_THROW(individual.connect(target)) << target.database.toStdString();
        parameters.moveNext();
    }

    // Each company's consolidated documents are told apart by type and series, and what the
    // consolidation checks in the consolidated database is there.
    Recordset settingsRows =
        db.openReadOnly(QStringLiteral("SELECT * FROM zeb_CNS_DadosIniciais ORDER BY BD"));
    ASSERT_EQ(settingsRows.rowCount(), 6);
    QSet<QString> typeAndSeries;
    for (; !settingsRows.eof(); settingsRows.moveNext()) {
        const QString type = settingsRows.field(QStringLiteral("TpDoc")).toText();
        typeAndSeries << type + QLatin1Char('/') +
                             settingsRows.field(QStringLiteral("Serie")).toText();
        for (const char* column :
             {"Setor", "DataMov", "UltimoMes", "Moeda", "ContaArred", "AteMes"})
            EXPECT_FALSE(settingsRows.isNull(QLatin1String(column))) << column;
        EXPECT_FALSE(db.openReadOnly(QStringLiteral("SELECT * FROM TpDoc WHERE Codigo = ?"), {type})
                         .isEmpty());
        EXPECT_FALSE(
            db.openReadOnly(QStringLiteral("SELECT * FROM POC WHERE Exercicio = ? AND Conta = ?"),
                            {demo::kDemoYear, settingsRows.field(QStringLiteral("ContaArred"))})
                .isEmpty());
    }
    EXPECT_EQ(typeAndSeries.size(), 6);
}

TEST_F(SeededDemo, DocumentsBalanceAndLinesAreWellFormed) {
    ASSERT_EQ(summary_->companies.size(), 6u);
    for (const Company& company : demo::companies()) {
        auto db = SeededDemo::company(company);
        Recordset lines = db->openReadOnly(QStringLiteral("SELECT * FROM MovCTB"));
        EXPECT_EQ(lines.rowCount(), summary_->companies.at(company.bd - 1).lines);
        EXPECT_GT(lines.rowCount(), 250);
        QHash<QString, Money> balance;
        QSet<int> months;
        for (; !lines.eof(); lines.moveNext()) {
            const QString line = key(lines);
            const int dbCr = static_cast<int>(lines.field(QStringLiteral("DbCr")).toInt());
            const Money value = lines.field(QStringLiteral("Valor")).toMoney();
            ASSERT_TRUE(dbCr == 1 || dbCr == 2) << line.toStdString();
            EXPECT_GT(value, Money()) << line.toStdString();
            EXPECT_EQ(value, value.roundedTo(2)) << line.toStdString();
            const QString document = line.section(QLatin1Char('/'), 0, 3);
            balance[document] += dbCr == 1 ? value : -value;

            const QDate date = lines.field(QStringLiteral("DataDoc")).toDate();
            EXPECT_EQ(lines.field(QStringLiteral("Ano")).toInt(), demo::kDemoYear);
            EXPECT_EQ(lines.field(QStringLiteral("Exercicio")).toInt(), demo::kDemoYear);
            EXPECT_EQ(lines.field(QStringLiteral("Mes")).toInt(), date.month());
            EXPECT_LE(lines.field(QStringLiteral("Nat")).toInt(), 2);
            EXPECT_EQ(lines.field(QStringLiteral("Statac")).toInt(), 2);
            EXPECT_TRUE(lines.isNull(QStringLiteral("DBTS")));
            months << date.month();
        }
        for (auto it = balance.cbegin(); it != balance.cend(); ++it)
            EXPECT_TRUE(it.value().isZero())
                << company.name.toStdString() << " " << it.key().toStdString() << " off by "
                << it.value().toString().toStdString();
        EXPECT_EQ(months.size(), 11) << company.name.toStdString();
    }
}

TEST_F(SeededDemo, AccountsExistInTheChartsThatCheckThem) {
    auto group = consolidated();
    for (const Company& company : demo::companies()) {
        auto db = SeededDemo::company(company);
        // Every line is on a postable account of its year.
        EXPECT_TRUE(
            db->openReadOnly(QStringLiteral("SELECT m.Conta FROM MovCTB m LEFT JOIN POC p"
                                            " ON p.Conta = m.Conta AND p.Exercicio = m.Exercicio"
                                            " WHERE p.Conta IS NULL OR p.NivInt <> 0"))
                .isEmpty())
            << company.name.toStdString();
        // The class-9 accounts the chart maps to are postable accounts of the same year.
        for (const char* mapping : {"cl9dd", "cl9cc"}) {
            const QString sql = QStringLiteral(
                                    "SELECT p.Conta FROM POC p LEFT JOIN POC c"
                                    " ON c.Conta = p.%1 AND c.Exercicio = p.Exercicio"
                                    " WHERE p.%1 IS NOT NULL AND (c.Conta IS NULL OR c.NivInt <> 0"
                                    " OR c.Conta NOT LIKE '9%')")
                                    .arg(QLatin1String(mapping));
            EXPECT_TRUE(db->openReadOnly(sql).isEmpty()) << mapping;
        }
        // The consolidation looks the class-9 accounts up in the consolidated chart.
        Recordset used = db->openReadOnly(
            QStringLiteral("SELECT DISTINCT Conta FROM MovCTB WHERE Conta LIKE '9%'"));
        EXPECT_FALSE(used.isEmpty());
        for (; !used.eof(); used.moveNext())
            EXPECT_FALSE(
                group
                    ->openReadOnly(
                        QStringLiteral("SELECT Conta FROM POC WHERE Conta = ? AND Exercicio = ?"),
                        {used.field(0), demo::kDemoYear})
                    .isEmpty())
                << used.field(0).toText().toStdString();
    }
}

// The class-9 documents are what integrating months 1 to 10 writes: one line per general line,
// same amount, side and date, on the mapped account, pointing back at its source.
TEST_F(SeededDemo, Class9LinesMirrorTheGeneralLinesOfIntegratedMonths) {
    for (const Company& company : demo::companies()) {
        auto db = SeededDemo::company(company);
        Recordset general = db->openReadOnly(
            QStringLiteral("SELECT * FROM MovCTB WHERE Conta NOT LIKE '9%' AND Mes <= 10"));
        Recordset class9 = db->openReadOnly(
            QStringLiteral("SELECT * FROM MovCTB WHERE Conta LIKE '9%' AND TpDoc = 'CL9'"));
        ASSERT_EQ(class9.rowCount(), general.rowCount()) << company.name.toStdString();
        QHash<QString, int> byReference;
        for (int row = 0; row < class9.rowCount(); ++row) {
            class9.moveTo(row);
            EXPECT_EQ(class9.field(QStringLiteral("TpDoc")).toText(), QStringLiteral("CL9"));
            EXPECT_EQ(class9.field(QStringLiteral("TpTerc")).toInt(), 4);
            byReference.insert(class9.field(QStringLiteral("Ref")).toText(), row);
        }
        for (; !general.eof(); general.moveNext()) {
            const auto found = byReference.constFind(key(general));
            ASSERT_NE(found, byReference.constEnd()) << key(general).toStdString();
            class9.moveTo(*found);
            for (const char* column : {"Valor", "DbCr", "DataDoc", "Sector", "Custeio"})
                EXPECT_EQ(class9.field(QLatin1String(column)), general.field(QLatin1String(column)))
                    << column;
            const QString costing = general.field(QStringLiteral("Custeio")).toText();
            const QString expected =
                costing == QLatin1String("P00631") || costing == QLatin1String("P00763")
                    ? QStringLiteral("96112")
                    : demo::class9Account(
                          general.field(QStringLiteral("Conta")).toText(),
                          static_cast<int>(general.field(QStringLiteral("DbCr")).toInt()));
            EXPECT_EQ(class9.field(QStringLiteral("Conta")).toText(), expected);
        }
    }
}

TEST_F(SeededDemo, NumeratorsHoldTheLastNumbersUsed) {
    for (const Company& company : demo::companies()) {
        auto db = SeededDemo::company(company);
        Recordset documents = db->openReadOnly(
            QStringLiteral("SELECT n.Doc, n.Num, (SELECT coalesce(max(m.NumDoc), 0) FROM MovCTB m "
                           "WHERE m.Ano = n.Ano"
                           " AND m.TpDoc = n.Doc AND m.Serie = n.Serie) AS Used FROM NumDoc n"));
        EXPECT_GE(documents.rowCount(), 14);
        for (; !documents.eof(); documents.moveNext())
            EXPECT_EQ(documents.field(QStringLiteral("Num")),
                      documents.field(QStringLiteral("Used")))
                << documents.field(QStringLiteral("Doc")).toText().toStdString();
        Recordset journals = db->openReadOnly(QStringLiteral(
            "SELECT n.Diario, n.Numerado, (SELECT coalesce(max(m.NumDiari), 0) FROM MovCTB m"
            " WHERE m.Ano = n.Ano AND m.Diario = n.Diario) AS Used FROM NumDiar n WHERE n.Mes = "
            "0"));
        EXPECT_GE(journals.rowCount(), 12);
        for (; !journals.eof(); journals.moveNext())
            EXPECT_EQ(journals.field(QStringLiteral("Numerado")),
                      journals.field(QStringLiteral("Used")))
                << journals.field(QStringLiteral("Diario")).toText().toStdString();
    }
}

TEST_F(SeededDemo, ForeignCurrencyHasRatesForEveryMonthWithMovements) {
    auto group = consolidated();
    int foreign = 0;
    for (const Company& company : demo::companies()) {
        if (company.currency == QLatin1String("EUR"))
            continue;
        ++foreign;
        Recordset months = SeededDemo::company(company)->openReadOnly(
            QStringLiteral("SELECT DISTINCT Ano, Mes FROM MovCTB"));
        EXPECT_EQ(months.rowCount(), 11);
        for (; !months.eof(); months.moveNext()) {
            Recordset rates = group->openReadOnly(
                QStringLiteral(
                    "SELECT Cambio FROM zeb_CNS_Cambios WHERE Moeda = ? AND year(Data) = ?"
                    " AND month(Data) = ?"),
                {company.currency, months.field(QStringLiteral("Ano")),
                 months.field(QStringLiteral("Mes"))});
            EXPECT_GE(rates.rowCount(), 2);
            for (; !rates.eof(); rates.moveNext()) {
                const Money rate = rates.field(0).toMoney();
                EXPECT_GT(rate, Money::fromWhole(1));
                EXPECT_LT(rate, Money::fromWhole(2));
            }
        }
    }
    EXPECT_EQ(foreign, 1);
}

// What tests build their own small company databases with.
TEST(DemoSeeder, InsertedMovementsTakeTheirDefaultsFromTheDocumentDate) {
    test::TempFolder folder;
    const QString file = folder.file(QStringLiteral("Empresa.db"));
    {
        auto db = demo::createCompanyDatabase(file);
        demo::seedMasterData(*db, {2024});
        demo::Movement line;
        line.tpDoc = QStringLiteral("FC");
        line.numDoc = 7;
        line.numLinha = 1;
        line.conta = QStringLiteral("6221");
        line.valor = Money::fromUnits(1000) + Money::fromUnits(2000);
        line.dataDoc = QDate(2024, 3, 5);
        demo::Movement credit = line;
        credit.numLinha = 2;
        credit.conta = QStringLiteral("221");
        credit.dbCr = 2;
        credit.dataR = QDate(2024, 3, 8);
        demo::insertMovements(*db, {line, credit});
    }
    EXPECT_THROW(demo::createCompanyDatabase(file), demo::ExistingFileError);

    auto db = demo::openDatabase(file);
    // Text columns compare as the server's default collation does.
    Recordset rows = db->openReadOnly(
        QStringLiteral("SELECT * FROM MovCTB WHERE TpDoc = 'fc  ' ORDER BY NumLinha"));
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.field(QStringLiteral("Ano")).toInt(), 2024);
    EXPECT_EQ(rows.field(QStringLiteral("Exercicio")).toInt(), 2024);
    EXPECT_EQ(rows.field(QStringLiteral("Mes")).toInt(), 3);
    EXPECT_EQ(rows.field(QStringLiteral("Valor")).toMoney(), Money::fromUnits(3000));
    EXPECT_EQ(rows.field(QStringLiteral("DataR")).toDate(), QDate(2024, 3, 5));
    rows.moveNext();
    EXPECT_EQ(rows.field(QStringLiteral("DataAl")).toDate(), QDate(2024, 3, 8));
    EXPECT_EQ(rows.field(QStringLiteral("SystemEntryDate")).toDateTime(),
              naiveDateTime(QDate(2024, 3, 8), QTime(18, 0)));
    EXPECT_FALSE(
        db->openReadOnly(
              QStringLiteral("SELECT * FROM POC WHERE Conta = '9999 ' AND Exercicio = 2024"))
            .isEmpty());
    EXPECT_TRUE(
        db->openReadOnly(QStringLiteral("SELECT * FROM POC WHERE Exercicio = 2025")).isEmpty());
}

TEST(DemoSeeder, SameOptionsGiveTheSameRowsAndExistingFilesNeedForce) {
    test::TempFolder first;
    test::TempFolder second;
    demo::SeedOptions options;
    options.movementLines = 120;
    demo::seedDemo(first.path(), options);
    demo::seedDemo(second.path(), options);
    const Company& company = demo::companies().last();
    const QString sql =
        QStringLiteral("SELECT * FROM MovCTB ORDER BY Ano, TpDoc, Serie, NumDoc, NumLinha");
    Recordset a = demo::openDatabase(first.file(company.file))->openReadOnly(sql);
    Recordset b = demo::openDatabase(second.file(company.file))->openReadOnly(sql);
    ASSERT_EQ(a.rowCount(), b.rowCount());
    for (; !a.eof(); a.moveNext(), b.moveNext())
        for (int c = 0; c < a.columnCount(); ++c)
            ASSERT_EQ(a.field(c), b.field(c)) << a.columnName(c).toStdString();

    // Without force nothing is touched; with it the demo is rebuilt, here at another size.
    const QString file = first.file(company.file);
    const qint64 before = QFileInfo(file).size();
    EXPECT_THROW(demo::seedDemo(first.path(), options), demo::ExistingFileError);
    EXPECT_EQ(QFileInfo(file).size(), before);
    options.force = true;
    options.movementLines = 1200;
    const demo::SeedSummary bigger = demo::seedDemo(first.path(), options);
    for (const demo::CompanySummary& summary : bigger.companies) {
        EXPECT_GT(summary.lines, 1100);
        EXPECT_LT(summary.lines, 1300);
    }
}

}  // namespace
}  // namespace agrimor
