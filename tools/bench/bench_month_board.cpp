// bench-month-board [--odbc] [N ...]
// Seeds the six companies of the group with N MovCTB lines a month each for a whole year (60 %
// general lines that the class-9 derivation reads, 40 % class-9 lines of the class-9 type, none
// in December; USD for the last company), a consolidated database with each company's settings,
// parameters, chart of accounts, rates and N/10 consolidated lines a month for months 1 to 10,
// then reads the month-end board of the year (monthboard/month_board.h) and prints its wall time
// and the statements it sent to all the databases; then, as the floor of any reading of the
// lines, the time of the leanest grouped statement over each company's lines of the year. The
// seeded databases are analysed (ANALYZE) as a server keeps its statistics, so that SQLite plans
// a year's read as a scan rather than through an index of the journal. Defaults: N = 100000 on
// SQLite. AGRIMOR_BENCH_FOLDER names a folder to seed once and reuse (it is seeded when it holds no
// Consolidado.db), so the reading can be timed again without seeding.

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

#include "core/companies.h"
#include "data/data_access.h"
#include "data/own_tables.h"
#include "monthboard/month_board.h"
#include "tools/bench/bench_support.h"
#include "tools/seeder/demo_seeder.h"

namespace {

using namespace agrimor;
using namespace agrimor::bench;
using demo::Movement;

constexpr int kYear = 2024;
constexpr int kChunk = 20000;

QStringList generalAccounts() {
    QStringList list;
    for (int i = 0; i < 60; ++i)
        list << QStringLiteral("6%1").arg(2100 + i * 3);
    return list;
}

QStringList class9Accounts() {
    QStringList list;
    for (int i = 0; i < 40; ++i)
        list << QStringLiteral("9%1").arg(1100 + i * 7);
    return list;
}

// The lines of one company for the year, a chunk at a time.
class YearLines {
public:
    YearLines(int perMonth, int bd) : perMonth_(perMonth), random_(static_cast<unsigned>(bd)) {}

    bool next(std::vector<Movement>& chunk) {
        static const QStringList general = generalAccounts();
        static const QStringList class9 = class9Accounts();
        chunk.clear();
        while (month_ <= 12 && chunk.size() < static_cast<std::size_t>(kChunk)) {
            const bool isClass9 = month_ < 12 && done_ % 5 >= 3;
            Movement m;
            m.ano = kYear;
            m.mes = month_;
            m.tpDoc = isClass9 ? QStringLiteral("CL9") : QStringLiteral("FT");
            int& number = isClass9 ? class9Number_ : generalNumber_;
            if (done_ % 5 == 0 || done_ % 5 == 3)
                ++number;
            m.numDoc = number;
            m.numLinha = done_ % 5 + 1;
            const QStringList& accounts = isClass9 ? class9 : general;
            m.conta = accounts.at(std::uniform_int_distribution<int>(
                0, static_cast<int>(accounts.size()) - 1)(random_));
            m.dbCr = done_ % 2 + 1;
            m.valor =
                Money::fromUnits(std::uniform_int_distribution<std::int64_t>(1, 5000000)(random_));
            m.dataDoc = QDate(kYear, month_, 1 + (done_ * 28) / perMonth_);
            m.exercicio = kYear;
            m.diario = isClass9 ? QStringLiteral("09") : QStringLiteral("02");
            m.descr = QStringLiteral("Movimento %1").arg(number);
            m.sector = QStringLiteral("01");
            m.operador = QStringLiteral("bench");
            chunk.push_back(std::move(m));
            if (++done_ == perMonth_) {
                done_ = 0;
                ++month_;
            }
        }
        return !chunk.empty();
    }

private:
    int perMonth_;
    int month_ = 1;
    int done_ = 0;
    int generalNumber_ = 0;
    int class9Number_ = 0;
    std::mt19937_64 random_;
};

QString companyFile(int bd) {
    return QStringLiteral("Empresa%1.db").arg(bd);
}

void addChart(Engine& engine) {
    for (const QString& account :
         generalAccounts() + class9Accounts() + QStringList{QStringLiteral("9999")})
        engine.execute(QStringLiteral("INSERT INTO POC (Conta, Exercicio) VALUES (?, ?)"),
                       {account, kYear});
}

void seed(const QString& folder, int perMonth) {
    const int companies = static_cast<int>(groupCompanyNames().size());
    {
        auto consolidated = demo::createCompanyDatabase(folder + QStringLiteral("/Consolidado.db"));
        ensureOwnTables(*consolidated);
        Transaction transaction(*consolidated);
        Engine& engine = consolidated->engine();
        addChart(engine);
        engine.execute(QStringLiteral("INSERT INTO TpDoc (Codigo) VALUES ('CNS')"), {});
        for (int bd = 1; bd <= companies; ++bd) {
            engine.execute(
                QStringLiteral("INSERT INTO zeb_CNS_DadosIniciais (BD, Setor, TpDoc, Serie, "
                               "DataMov, UltimoMes, Moeda, ContaArred, TpDocCL9, SerieCL9, "
                               "DiarioCL9, AteMes) VALUES (?, '01', 'CNS', ?, '2024-01-01', '', "
                               "?, '9999', 'CL9', '1', '09', 0)"),
                {bd, QString::number(bd),
                 bd == companies ? QStringLiteral("USD") : QStringLiteral("EUR")});
            engine.execute(
                QStringLiteral("INSERT INTO zeb_CNS_Parametros (BD, Servidor, Utilizador, "
                               "Password, Empresa) VALUES (?, 'sqlite', 'bench', '', ?)"),
                {bd, companyFile(bd)});
        }
        for (int month = 1; month <= 12; ++month)
            for (const int day : {4, 11, 18, 25})
                engine.execute(QStringLiteral("INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) "
                                              "VALUES ('USD', ?, ?)"),
                               {QDate(kYear, month, day), *Money::parse(QStringLiteral("1.0812"))});
        std::vector<Movement> lines;
        for (int bd = 1; bd <= companies; ++bd)
            for (int month = 1; month <= 10; ++month)
                for (int i = 0; i < perMonth / 10; ++i) {
                    Movement m;
                    m.ano = kYear;
                    m.mes = month;
                    m.tpDoc = QStringLiteral("CNS");
                    m.serie = QString::number(bd);
                    m.numDoc = month * 100000 + i / 4;
                    m.numLinha = i % 4 + 1;
                    m.conta = QStringLiteral("91100");
                    m.valor = Money::fromWhole(1);
                    m.dataDoc = QDate(kYear, month, 28);
                    lines.push_back(std::move(m));
                    if (lines.size() == static_cast<std::size_t>(kChunk)) {
                        demo::insertMovements(*consolidated, lines);
                        lines.clear();
                    }
                }
        demo::insertMovements(*consolidated, lines);
        transaction.commit();
    }
    for (int bd = 1; bd <= companies; ++bd) {
        auto company = demo::createCompanyDatabase(folder + QLatin1Char('/') + companyFile(bd));
        Transaction transaction(*company);
        addChart(company->engine());
        YearLines generator(perMonth, bd);
        std::vector<Movement> chunk;
        while (generator.next(chunk))
            demo::insertMovements(*company, chunk);
        transaction.commit();
        company->execute(QStringLiteral("ANALYZE"), {});
    }
}

void runCase(bool odbc, int perMonth) {
    QTemporaryDir temporary;
    QString folder = qEnvironmentVariable("AGRIMOR_BENCH_FOLDER");
    if (folder.isEmpty())
        folder = temporary.path();
    QDir().mkpath(folder);
    std::printf("%s, six companies, %d lines a month each:\n",
                odbc ? "ODBC (SQLite ODBC driver)" : "SQLite", perMonth);
    std::fflush(stdout);
    QElapsedTimer timer;
    if (!QFileInfo::exists(folder + QStringLiteral("/Consolidado.db"))) {
        timer.start();
        seed(folder, perMonth);
        std::printf("  (seeded in %.1f s)\n", seconds(timer));
    }
    {
        // The companies are reached as the consolidated database is.
        DataAccess db;
        db.connect(settingsFor(false, folder, QStringLiteral("Consolidado.db")));
        db.execute(QStringLiteral("UPDATE zeb_CNS_Parametros SET Servidor = ?"),
                   {odbc ? QStringLiteral("odbc") : QStringLiteral("sqlite")});
    }
    DataAccess consolidated;
    consolidated.connect(settingsFor(odbc, folder, QStringLiteral("Consolidado.db")));
    resetPeak();
    timer.restart();
    const MonthBoard board = readMonthBoard(consolidated, kYear);
    const Figures figures{seconds(timer), board.statements, peakKiB()};
    std::printf("  board of the year: %.3f s, %lld statements, peak %.1f MB\n", figures.seconds,
                static_cast<long long>(figures.statements), figures.peak / 1024.0);
    std::int64_t lines = 0;
    for (const BoardCompany& company : board.companies)
        for (const BoardCell& cell : company.months)
            lines += cell.movements.value_or(0) + cell.class9.value_or(0);
    std::printf("  (lines counted: %lld general and class-9)\n", static_cast<long long>(lines));

    // The floor: the leanest grouped read of each company's lines of the year, counting them per
    // Mes, the companies read on as many threads as the board reads them.
    timer.restart();
    const int companies = static_cast<int>(groupCompanyNames().size());
    std::atomic<int> next{1};
    const auto scan = [&] {
        for (int bd = next++; bd <= companies; bd = next++) {
            DataAccess company;
            company.connect(settingsFor(odbc, folder, companyFile(bd)));
            company.openReadOnly(
                QStringLiteral("select Mes, count(*) from MovCTB where Ano = ? group by Mes"),
                {kYear});
        }
    };
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        threads.emplace_back(scan);
    scan();
    for (std::thread& thread : threads)
        thread.join();
    const double floor = seconds(timer);
    std::printf(
        "  floor, the leanest grouped read of each company's lines (count per Mes, same "
        "threads): %.3f s; board / floor %.2f\n",
        floor, figures.seconds / floor);
}

}  // namespace

int main(int argc, char** argv) {
    return runCases(argc, argv, "bench-month-board", 10, {{false, 100000}}, runCase);
}
