#include "tools/seeder/demo_seeder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <atomic>
#include <future>

#include "data/currency.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "data/own_tables.h"
#include "data/sqlite_engine.h"
#include "tools/seeder/class9_months.h"
#include "tools/seeder/erp_schema.h"
#include "tools/seeder/master_data.h"
#include "tools/seeder/sample_workbooks.h"
#include "tools/seeder/seeding.h"

namespace agrimor::demo {

namespace {

void removeDatabaseFile(const QString& file) {
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
    QFile::remove(file + QStringLiteral("-wal"));
    QFile::remove(file + QStringLiteral("-shm"));
}

}  // namespace

ExistingFileError::ExistingFileError(const QString& file)
    : Error(QStringLiteral("Já existe o ficheiro %1").arg(QDir::toNativeSeparators(file))),
      file_(file) {}

const QList<Company>& companies() {
    static const QList<Company> list{
        {1, QStringLiteral("Velmor"), QStringLiteral("Velmor.db"), QStringLiteral("EUR")},
        {2, QStringLiteral("Velmor Holding"), QStringLiteral("VelmorHolding.db"),
         QStringLiteral("EUR")},
        {3, text("Velmor Mediação"), QStringLiteral("VelmorMediacao.db"), QStringLiteral("EUR")},
        {4, QStringLiteral("Velmor Norte"), QStringLiteral("VelmorNorte.db"),
         QStringLiteral("EUR")},
        {5, QStringLiteral("Velmor Centro"), QStringLiteral("VelmorCentro.db"),
         QStringLiteral("EUR")},
        {6, QStringLiteral("Velmor Sul"), QStringLiteral("VelmorSul.db"), QStringLiteral("USD")},
    };
    return list;
}

QString consolidatedFileName() {
    return QStringLiteral("Consolidado.db");
}
QString configFileName() {
    return QStringLiteral("Agrimor.zeb");
}

std::int64_t SeedSummary::documents() const {
    std::int64_t sum = 0;
    for (const CompanySummary& company : companies)
        sum += company.documents;
    return sum;
}

std::int64_t SeedSummary::lines() const {
    std::int64_t sum = 0;
    for (const CompanySummary& company : companies)
        sum += company.lines;
    return sum;
}
std::unique_ptr<DataAccess> createCompanyDatabase(const QString& file) {
    if (QFileInfo::exists(file))
        throw ExistingFileError(file);
    std::shared_ptr<Engine> engine = SqliteEngine::open(file, true);
    engine->begin();
    createErpTables(*engine);
    engine->commit();
    auto db = std::make_unique<DataAccess>();
    db->adopt(std::move(engine));
    return db;
}

std::unique_ptr<DataAccess> openDatabase(const QString& file) {
    const QFileInfo info(file);
    ConnectionSettings settings;
    settings.server = QStringLiteral("sqlite");
    settings.database = info.fileName();
    settings.dataFolder = info.absolutePath();
    auto db = std::make_unique<DataAccess>();
    db->connect(settings);
    return db;
}
std::vector<Rate> demoRates(const QString& currency, const SeedOptions& options) {
    std::vector<Rate> rates;
    if (needsNoRate(currency))
        return rates;
    std::uint64_t salt = 0;
    for (QChar c : currency)
        salt = salt * 131 + c.unicode();
    Random random(options.seed ^ salt);
    std::int64_t units = 10400;  // 1.0400 of the currency per euro
    for (int year : {options.year - 1, options.year}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 8, 15, 22}) {
                QDate date(year, month, day);
                while (date.dayOfWeek() > 5)
                    date = date.addDays(1);
                units = std::clamp<std::int64_t>(units + random.between(-80, 80), 10200, 11900);
                rates.push_back({date, Money::fromUnits(units)});
            }
        }
    }
    return rates;
}

void seedConsolidation(DataAccess& db, const SeedOptions& options) {
    ensureOwnTables(db);
    Transaction transaction(db);
    QList<Params> settings;
    QList<Params> parameters;
    QList<Params> rates;
    const QDate nextRun(options.year, std::min(options.lastMonth + 1, 12), 1);
    for (const Company& company : companies()) {
        settings << Params{company.bd,
                           QStringLiteral("01"),
                           QStringLiteral("CNS"),
                           QString::number(company.bd),
                           nextRun,
                           QString(),
                           company.currency,
                           QStringLiteral("9999"),
                           QStringLiteral("CL9"),
                           QStringLiteral("1"),
                           QStringLiteral("09"),
                           0};
        parameters << Params{company.bd, QStringLiteral("sqlite"), QStringLiteral("demo"),
                             QString(), company.file};
        for (const Rate& rate : demoRates(company.currency, options))
            rates << Params{company.currency, rate.date, rate.rate};
    }
    addRows(db, QStringLiteral("zeb_CNS_DadosIniciais"),
            names({"BD", "Setor", "TpDoc", "Serie", "DataMov", "UltimoMes", "Moeda", "ContaArred",
                   "TpDocCL9", "SerieCL9", "DiarioCL9", "AteMes"}),
            settings);
    addRows(db, QStringLiteral("zeb_CNS_Parametros"),
            names({"BD", "Servidor", "Utilizador", "Password", "Empresa"}), parameters);
    // Two companies in the same currency share its rates.
    QList<Params> uniqueRates;
    QSet<QString> seen;
    for (const Params& rate : rates) {
        const QString key = rate.at(0).toText() + QLatin1Char('|') + rate.at(1).toText();
        if (!seen.contains(key)) {
            seen.insert(key);
            uniqueRates << rate;
        }
    }
    addRows(db, QStringLiteral("zeb_CNS_Cambios"), names({"Moeda", "Data", "Cambio"}), uniqueRates);
    transaction.commit();
}

void writeConfigFile(const QString& folder, const QString& databaseFile) {
    QFile file(QDir(folder).filePath(configFileName()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Não foi possível escrever %1: %2")
                        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    const QString content =
        QStringLiteral("[Database]\nServer=sqlite\nDatabase=%1\nUser=demo\nPassword=\n")
            .arg(databaseFile);
    file.write(content.toUtf8());
}

SeedSummary seedDemo(const QString& folder, const SeedOptions& options) {
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Não foi possível criar a pasta %1")
                        .arg(QDir::toNativeSeparators(folder)));
    const QDir dir(folder);
    QStringList databases{dir.filePath(consolidatedFileName())};
    for (const Company& company : companies())
        databases << dir.filePath(company.file);
    const QString config = dir.filePath(configFileName());
    QStringList workbooks;
    for (const QString& name : sampleFileNames())
        workbooks << dir.filePath(name);
    for (const QString& file : databases + workbooks + QStringList{config}) {
        if (!QFileInfo::exists(file))
            continue;
        if (!options.force)
            throw ExistingFileError(file);
        removeDatabaseFile(file);
    }

    SeedSummary summary;
    summary.folder = folder;
    summary.companies.resize(static_cast<size_t>(companies().size()));
    const QList<int> years{options.year - 1, options.year};
    try {
        {
            auto consolidated = createCompanyDatabase(databases.front());
            seedMasterData(*consolidated, years);
            {
                Transaction transaction(*consolidated);
                writeNumerators(*consolidated, options.year, {});
                transaction.commit();
            }
            seedConsolidation(*consolidated, options);
        }
        // Each company is its own file and connection, so companies are seeded side by side.
        std::atomic<int> nextCompany{0};
        std::atomic<bool> failed{false};
        const auto worker = [&] {
            try {
                for (int i = nextCompany++; i < companies().size() && !failed; i = nextCompany++) {
                    const Company& company = companies().at(i);
                    auto db = createCompanyDatabase(databases.at(i + 1));
                    seedMasterData(*db, years);
                    CompanySummary& seeded = summary.companies[static_cast<size_t>(i)];
                    seeded = seedMovements(*db, company, options);
                    seedClass9Months(*db, company, options, seeded);
                }
            } catch (...) {
                failed = true;
                throw;
            }
        };
        std::vector<std::future<void>> workers;
        const int threads = std::clamp(options.threads, 1, static_cast<int>(companies().size()));
        for (int t = 0; t < threads; ++t)
            workers.push_back(std::async(std::launch::async, worker));
        std::exception_ptr failure;
        for (auto& running : workers) {
            try {
                running.get();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        }
        if (failure)
            std::rethrow_exception(failure);
        writeSampleWorkbooks(folder, options);
        writeConfigFile(folder, consolidatedFileName());
    } catch (...) {
        // A half-built demo would pass for a whole one.
        for (const QString& file : databases)
            removeDatabaseFile(file);
        for (const QString& file : workbooks)
            QFile::remove(file);
        QFile::remove(config);
        throw;
    }
    return summary;
}
}  // namespace agrimor::demo
