// The month-end board against counts made here from the rows written, and its anomalies against
// what the consolidation's check-up reports for each company and month, on both engines.

#include "monthboard/month_board.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include "consolidation/consolidation_commands.h"
#include "core/companies.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

using test::EngineKind;

constexpr int kYear = 2024;

class MonthBoardModel : public ::testing::TestWithParam<EngineKind> {
protected:
    test::ConsolidationSetup setup{GetParam(), kYear};
    std::map<int, std::vector<demo::Movement>> lines;  // per company
    std::vector<demo::Movement> consolidatedLines;
    const QStringList companyAccounts{QStringLiteral("21"), QStringLiteral("22"),
                                      QStringLiteral("91"), QStringLiteral("92"),
                                      QStringLiteral("93")};

    void addCompanyAccounts(DataAccess& company) {
        for (const QString& account : companyAccounts)
            company.execute(QStringLiteral("INSERT INTO POC (Conta, Exercicio) VALUES (?, ?)"),
                            {account, kYear});
    }

    // Lines of every kind the board tells apart: general and class-9, in and out of the year,
    // Nat, Statac, on accounts of the chart or not, of the class-9 type or the ERP's, with Mes
    // now and then other than the month of DataDoc.
    std::vector<demo::Movement> varied(int bd, int count) {
        QRandomGenerator random(static_cast<quint32>(bd * 7919));
        const QStringList accounts{QStringLiteral("21"), QStringLiteral("22"),
                                   QStringLiteral("29"), QStringLiteral("91"),
                                   QStringLiteral("92"), QStringLiteral("93")};
        const QStringList types{QStringLiteral("FT"), QStringLiteral("CL9"), QStringLiteral("X9")};
        std::vector<demo::Movement> made;
        for (int i = 1; i <= count; ++i) {
            const int month = random.bounded(1, 13);
            const int year = random.bounded(10) == 0 ? kYear - 1 : kYear;
            const QString account = accounts.at(random.bounded(accounts.size()));
            const QString type = types.at(random.bounded(types.size()));
            demo::Movement line =
                test::line(QStringLiteral("L%1").arg(i), type, i, 1, account, 1 + random.bounded(2),
                           QStringLiteral("10"), month, year);
            line.dataDoc = QDate(year, month, 1 + random.bounded(28));
            if (random.bounded(8) == 0)
                line.mes = 1 + (month % 12);
            line.nat = random.bounded(1, 4);
            line.statac = random.bounded(1, 3);
            made.push_back(line);
        }
        return made;
    }

    // Runs in the log, one "Tarefa Empresa Ano Mes Fim Resultado" per row (Fim as
    // "yyyy-MM-ddTHH:mm:ss").
    void logRuns(const QStringList& runs) {
        for (const QString& run : runs) {
            QStringList v = run.split(QLatin1Char(' '));
            setup.consolidated().execute(
                QStringLiteral("INSERT INTO zeb_CNS_Registo (Tarefa, Empresa, Ano, Mes, Fim, "
                               "Resultado) VALUES (?, ?, ?, ?, ?, ?)"),
                {v[0], v[1].toInt(), v[2].toInt(), v[3].toInt(), v[4].replace(u'T', u' '), v[5]});
        }
    }

    // The check-up of one company and month as the processing tab runs it: how many anomalies it
    // wrote, or nothing when it failed.
    std::optional<std::int64_t> checkUp(int bd, int month) {
        test::ScriptedPrompter prompter;
        prompter.answer(Answer::Ok);      // start
        prompter.answer(Answer::Cancel);  // anomalies found: not opened, not printed
        ConsolidationEnvironment environment{setup.consolidated(), prompter, setup.folder()};
        const CommandResult result = runCheckUp(
            environment,
            {QString::number(kYear), month, {CompanyTab{bd, groupCompanyNames().at(bd - 1)}}});
        if (result.outcome == CommandOutcome::Failed)
            return std::nullopt;
        if (result.anomaliesFile.isEmpty())
            return 0;
        QFile file(result.anomaliesFile);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        std::int64_t count = 0;
        for (const QByteArray& text : file.readAll().split('\n'))
            if (!text.trimmed().isEmpty())
                ++count;
        file.close();
        file.remove();
        return count;
    }
};

TEST_P(MonthBoardModel, every_figure_matches_the_rows_and_the_check_up_of_each_month) {
    test::CompanyConfig foreign;
    foreign.currency = QStringLiteral("USD");
    foreign.ateMes = 1;  // months 1 to the chosen one
    test::CompanyConfig unknownCodes;
    unknownCodes.tpDoc = QStringLiteral("ZZZ");
    unknownCodes.contaArred = QStringLiteral("8888");
    test::CompanyConfig emptyCodes;
    emptyCodes.tpDoc = QString();
    emptyCodes.contaArred = QString();
    const std::map<int, test::CompanyConfig> configs{{1, {}}, {2, foreign}, {3, unknownCodes},
                                                     {4, {}}, {5, {}},      {6, emptyCodes}};
    setup.addAccounts({QStringLiteral("91"), QStringLiteral("92")}, kYear);
    for (const auto& [bd, config] : configs) {
        DataAccess& company = setup.addCompany(bd, config);
        addCompanyAccounts(company);
        lines[bd] = varied(bd, 120);
        setup.addMovements(bd, lines[bd]);
    }
    DataAccess& consolidated = setup.consolidated();
    // Company 4 can not be reached; company 5's settings miss a column the check-up needs and
    // it has no class-9 type.
    consolidated.execute(QStringLiteral("UPDATE zeb_CNS_Parametros SET Empresa = ? WHERE BD = ?"),
                         {QStringLiteral("missing.db"), 4});
    consolidated.execute(QStringLiteral("UPDATE zeb_CNS_DadosIniciais SET Setor = NULL, "
                                        "TpDocCL9 = NULL WHERE BD = ?"),
                         {5});
    // USD: a clean month, a month with a row without a rate, one with a zero rate, none after.
    setup.addRate(QStringLiteral("USD"), QDate(kYear, 1, 3), QStringLiteral("1.08"));
    setup.addRate(QStringLiteral("USD"), QDate(kYear, 1, 17), QStringLiteral("1.09"));
    setup.addRate(QStringLiteral("USD"), QDate(kYear, 2, 3), QStringLiteral("1.1"));
    consolidated.execute(
        QStringLiteral("INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES (?, ?, NULL)"),
        {QStringLiteral("USD"), QDate(kYear, 2, 10)});
    setup.addRate(QStringLiteral("USD"), QDate(kYear, 3, 3), QStringLiteral("0"));
    setup.addRate(QStringLiteral("USD"), QDate(kYear - 1, 4, 3), QStringLiteral("1.2"));
    // Consolidated lines of companies 1 and 2 (months 2, 5 and 3), one of another year.
    const std::vector<std::tuple<int, int, int>> consolidatedAt{
        {1, 2, kYear}, {1, 2, kYear}, {1, 2, kYear},    {1, 5, kYear},
        {2, 3, kYear}, {2, 3, kYear}, {1, 7, kYear - 1}};  // (series, month, year)
    for (const auto& [serie, month, year] : consolidatedAt)
        consolidatedLines.push_back(test::line(QStringLiteral("C"), QStringLiteral("CNS"),
                                               static_cast<int>(consolidatedLines.size()) + 1, 1,
                                               QStringLiteral("91"), 1, QStringLiteral("5"), month,
                                               year, QString::number(serie)));
    setup.addConsolidatedMovements(consolidatedLines);
    logRuns({QStringLiteral("consolidacao 1 2024 2 2024-03-01T09:00:00 efetuado"),
             QStringLiteral("consolidacao 1 2024 2 2024-03-02T10:30:00 efetuado"),
             QStringLiteral("consolidacao 1 2024 2 2024-03-03T11:00:00 erro"),
             QStringLiteral("classe9 1 2024 5 2024-06-01T08:00:00 efetuado"),
             QStringLiteral("consolidacao 2 2023 3 2023-04-01T08:00:00 efetuado"),
             QStringLiteral("consolidacao 2 2024 3 2024-04-02T18:15:05 efetuado")});

    const MonthBoard board = readMonthBoard(consolidated, kYear);
    ASSERT_EQ(board.companies.size(), 6u);
    for (const BoardCompany& company : board.companies) {
        const int bd = company.bd;
        const test::CompanyConfig& config = configs.at(bd);
        SCOPED_TRACE(bd);
        EXPECT_EQ(company.reached, bd != 4);
        EXPECT_EQ(company.problem.isEmpty(), bd != 5);
        for (const BoardCell& cell : company.months) {
            const int month = cell.month;
            SCOPED_TRACE(month);
            std::int64_t general = 0;
            std::int64_t class9 = 0;
            for (const demo::Movement& line : lines.at(bd)) {
                if (line.ano != kYear || line.dataDoc.month() != month)
                    continue;
                const bool isClass9 = line.conta.startsWith(QLatin1Char('9'));
                if (!isClass9 && line.nat <= 2 && line.statac == 2 &&
                    companyAccounts.contains(line.conta))
                    ++general;
                if (isClass9 && line.tpDoc == QLatin1String("CL9"))
                    ++class9;
            }
            EXPECT_EQ(cell.movements,
                      bd == 4 ? std::nullopt : std::optional<std::int64_t>(general));
            EXPECT_EQ(cell.class9,
                      bd == 4 || bd == 5 ? std::nullopt : std::optional<std::int64_t>(class9));

            const std::map<int, std::pair<std::int64_t, bool>> usd{
                {1, {2, false}}, {2, {2, true}}, {3, {1, true}}};
            if (bd == 2) {
                const auto found = usd.find(month);
                EXPECT_EQ(cell.rates, found == usd.end() ? 0 : found->second.first);
                EXPECT_EQ(cell.unusableRate, found != usd.end() && found->second.second);
            } else {
                EXPECT_FALSE(cell.rates);
            }

            std::int64_t consolidatedCount = 0;
            for (const demo::Movement& line : consolidatedLines)
                if (line.ano == kYear && line.mes == month &&
                    line.serie == (config.serie.isEmpty() ? QString::number(bd) : config.serie) &&
                    line.tpDoc == config.tpDoc)
                    ++consolidatedCount;
            EXPECT_EQ(cell.consolidated, consolidatedCount);

            QString at;
            if (bd == 1 && month == 2)
                at = QStringLiteral("2024-03-02 10:30:00");
            if (bd == 2 && month == 3)
                at = QStringLiteral("2024-04-02 18:15:05");
            EXPECT_EQ(consolidatedAtText(cell.consolidatedAt), at);

            EXPECT_EQ(cell.anomalies, checkUp(bd, month));
        }
    }
    // A handful of grouped statements per company and year, not one per month.
    EXPECT_LE(board.statements, 70);
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthBoardModel,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite));

}  // namespace
}  // namespace agrimor
