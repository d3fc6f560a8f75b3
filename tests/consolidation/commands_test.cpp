// The three commands of the processing tab end to end: their messages word for word, the
// anomalies file byte for byte, what is written and what is left alone.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>

#include "consolidation/anomalies_file.h"
#include "consolidation/consolidation_commands.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

using test::EngineKind;
using test::line;

const QDateTime kStart(QDate(2024, 4, 2), QTime(9, 5, 7));

std::vector<demo::Movement> balancedDocument(int numDoc,
                                             const QString& account = QStringLiteral("9111"),
                                             int month = 3) {
    return {line(QStringLiteral("a%1").arg(numDoc), QStringLiteral("FT"), numDoc, 1, account, 1,
                 QStringLiteral("10"), month),
            line(QStringLiteral("b%1").arg(numDoc), QStringLiteral("FT"), numDoc, 2,
                 QStringLiteral("9112"), 2, QStringLiteral("10"), month)};
}

// A print command of our own at `path`, which records its arguments in `record`.
void writePrintCommand(const QString& path, const QString& record) {
    QFile script(path);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(record).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

class Commands : public ::testing::TestWithParam<EngineKind> {
protected:
    Commands() {
        setup.addAccounts({QStringLiteral("9111"), QStringLiteral("9112")}, 2024);
        environment.clock = [] { return kStart; };
    }

    QString expectedFile() const {
        return setup.folder() + QStringLiteral("/Anomalias_20240402090507.txt");
    }

    QByteArray fileBytes() {
        QFile file(expectedFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    ProcessingInput input(QList<int> bds, int month = 3,
                          const QString& year = QStringLiteral("2024")) {
        ProcessingInput in{year, month, {}};
        for (int bd : bds)
            in.companies << CompanyTab{bd, QStringLiteral("  Empresa %1 ").arg(bd)};
        return in;
    }

    test::ConsolidationSetup setup{GetParam()};
    test::ScriptedPrompter prompter;
    ConsolidationEnvironment environment{setup.consolidated(), prompter, setup.folder()};
};

TEST(AnomaliesFile, caption_is_trimmed_and_text_starts_at_the_next_print_zone) {
    EXPECT_EQ(anomalyLine(QStringLiteral(" Velmor "), QStringLiteral("x")),
              QStringLiteral("Velmor        x"));
    EXPECT_EQ(
        anomalyLine(QStringLiteral("Velmor Mediaçã"), QStringLiteral("x")),  // 14 characters
        QStringLiteral("Velmor Mediaçã") + QString(14, QLatin1Char(' ')) + QStringLiteral("x"));
    EXPECT_EQ(anomalyLine(QStringLiteral("Velmor Mediaç"), QStringLiteral("x")),  // 13: one space
              QStringLiteral("Velmor Mediaç x"));
    EXPECT_EQ(anomaliesFileName(QStringLiteral("/d"), kStart),
              QStringLiteral("/d/Anomalias_20240402090507.txt"));
}

TEST_P(Commands, check_up_reports_each_company_and_writes_one_file_for_all) {
    for (int bd : {1, 2, 3}) {
        setup.addCompany(bd);
        setup.addMovements(
            bd, balancedDocument(bd, bd == 2 ? QStringLiteral("9555") : QStringLiteral("9111")));
    }
    setup.consolidated().execute(
        QStringLiteral("UPDATE zeb_CNS_DadosIniciais SET TpDoc = '' WHERE BD = 2"));
    prompter.answer(Answer::Ok);      // start
    prompter.answer(Answer::Ok);      // anomalies found
    prompter.answer(Answer::Cancel);  // do not print
    const CommandResult result = runCheckUp(environment, input({1, 2, 3}));
    EXPECT_EQ(result.outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(result.anomaliesFile, expectedFile());
    EXPECT_EQ(
        prompter.texts(),
        (QStringList{
            QStringLiteral("Vai proceder ao teste dos movimentos!\r\nPretende continuar?"),
            QStringLiteral("Empresa:  Empresa 1\r\nCheckUp efetuado com sucesso!"),
            QStringLiteral("Empresa:  Empresa 2\r\nAnomalias detetadas!"),
            QStringLiteral("Empresa:  Empresa 3\r\nCheckUp efetuado com sucesso!"),
            QStringLiteral("Foram detetadas anomalias \n\rConsulte o ficheiro ") + expectedFile(),
            QStringLiteral("Pretende imprimir as anomalias? ") + expectedFile()}));
    EXPECT_EQ(prompter.prompts().at(4).kind, PromptKind::OkCancel);
    EXPECT_EQ(fileBytes(), QByteArray("Empresa 2     Tipo Documento não preenchido\r\n"
                                      "Empresa 2     9555 Conta não existente\r\n"
                                      "\r\n"));
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 0);
}

TEST_P(Commands, check_up_without_anomalies_creates_no_file_and_asks_nothing_at_the_end) {
    setup.addCompany(1);
    setup.addMovements(1, balancedDocument(1));
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCheckUp(environment, input({1})).outcome, CommandOutcome::Done);
    EXPECT_EQ(prompter.texts().size(), 2);
    EXPECT_FALSE(QFileInfo::exists(expectedFile()));
}

TEST_P(Commands, check_up_prints_through_the_print_command_or_says_there_is_no_print_service) {
    setup.addCompany(1);
    setup.addMovements(1, balancedDocument(1, QStringLiteral("9555")));
    const QString record = setup.folder() + QStringLiteral("/printed.txt");
    const QString fakeLp = setup.folder() + QStringLiteral("/lp");
    writePrintCommand(fakeLp, record);
    environment.print.program = fakeLp;
    for (int i = 0; i < 3; ++i)
        prompter.answer(Answer::Ok);
    runCheckUp(environment, input({1}));
    EXPECT_EQ(prompter.texts().size(), 4);  // nothing after the print question
    QFile printed(record);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_EQ(printed.readAll().trimmed(), expectedFile().toUtf8());

    prompter.clear();
    environment.print.program = setup.folder() + QStringLiteral("/no-such-lp");
    for (int i = 0; i < 3; ++i)
        prompter.answer(Answer::Ok);
    runCheckUp(environment, input({1}));
    ASSERT_EQ(prompter.texts().size(), 5);
    EXPECT_TRUE(prompter.lastText().startsWith(
        QStringLiteral("Não há serviço de impressão disponível: o ficheiro ") + expectedFile()));
}

TEST_P(Commands, a_company_file_that_is_no_database_is_that_companys_anomaly_and_the_rest_go_on) {
    for (int bd : {1, 2, 3}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd));
    }
    QFile notADatabase(setup.folder() + QStringLiteral("/Agrimor.zeb"));
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write("[Ligacao]\r\nServidor=sqlite\r\n");
    notADatabase.close();
    setup.consolidated().execute(
        QStringLiteral("UPDATE zeb_CNS_Parametros SET Empresa = 'Agrimor.zeb' WHERE BD = 2"));
    prompter.answer(Answer::Ok);      // start
    prompter.answer(Answer::Ok);      // anomalies found
    prompter.answer(Answer::Cancel);  // do not print
    EXPECT_EQ(runCheckUp(environment, input({1, 2, 3})).outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(
        prompter.texts().mid(1, 3),
        (QStringList{QStringLiteral("Empresa:  Empresa 1\r\nCheckUp efetuado com sucesso!"),
                     QStringLiteral("Empresa:  Empresa 2\r\nAnomalias detetadas!"),
                     QStringLiteral("Empresa:  Empresa 3\r\nCheckUp efetuado com sucesso!")}));
    EXPECT_EQ(fileBytes(),
              QByteArray("Empresa 2     Parâmetros de ligação à BD incorretos\r\n\r\n"));
}

TEST_P(Commands, a_database_error_ends_the_check_up_with_a_message) {
    setup.addCompany(1);
    setup.addMovements(1, balancedDocument(1));
    setup.addCompany(3);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCheckUp(environment, input({1, 2, 3})).outcome, CommandOutcome::Failed);
    ASSERT_EQ(prompter.texts().size(), 3);
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("Empresa:   Empresa 2 \n\rErro: ")));
}

TEST_P(Commands, run_stops_at_the_first_company_with_anomalies_after_writing_the_earlier_ones) {
    for (int bd : {1, 2, 3}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd));
    }
    setup.consolidated().execute(
        QStringLiteral("UPDATE zeb_CNS_Parametros SET Empresa = 'gone.db' WHERE BD = 2"));
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Ok);
    const CommandResult result = runConsolidation(environment, input({1, 2, 3}));
    EXPECT_EQ(result.outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(
        prompter.texts().mid(2),
        (QStringList{QStringLiteral("Empresa:  Empresa 1\r\nIntegração efetuada com sucesso!"),
                     QStringLiteral("Foram detetadas anomalias \n\rConsulte o ficheiro ") +
                         expectedFile()}));
    EXPECT_EQ(prompter.prompts().back().kind, PromptKind::Information);
    EXPECT_EQ(fileBytes(),
              QByteArray("Empresa 2     Parâmetros de ligação à BD incorretos\r\n\r\n"));
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 2);
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("3")), 0);
    EXPECT_EQ(setup.ultimoMes(1), QStringLiteral("03/2024"));
    EXPECT_EQ(setup.ultimoMes(3), QString());
}

TEST_P(Commands, a_rate_row_without_a_rate_stops_the_run_before_writing_and_shows_in_the_check_up) {
    test::CompanyConfig dollars;
    dollars.currency = QStringLiteral("USD");
    setup.addCompany(1, dollars);
    setup.addMovements(1, balancedDocument(1));
    setup.addRate(QStringLiteral("USD"), QDate(2024, 3, 1), QStringLiteral("1.0813"));
    setup.consolidated().execute(
        QStringLiteral("INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES (?, ?, NULL)"),
        {QStringLiteral("USD"), QDate(2024, 3, 15)});
    const QByteArray expectedBytes(
        "Empresa 1     Câmbio nulo ou zero para a moeda USD em 15-03-2024\r\n\r\n");

    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1})).outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(
        prompter.lastText(),
        QStringLiteral("Foram detetadas anomalias \n\rConsulte o ficheiro ") + expectedFile());
    EXPECT_EQ(fileBytes(), expectedBytes);
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 0);
    EXPECT_EQ(setup.ultimoMes(1), QString());

    prompter.clear();
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Cancel);
    EXPECT_EQ(runCheckUp(environment, input({1})).outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(prompter.texts().at(1),
              QStringLiteral("Empresa:  Empresa 1\r\nAnomalias detetadas!"));
    EXPECT_EQ(fileBytes(), expectedBytes);
}

// Answers from the script, and runs `meanwhile` when the per-company question is asked, as if
// someone posted in the company database while the question waited.
class PostingWhileAsked : public Prompter {
public:
    PostingWhileAsked(test::ScriptedPrompter& script, std::function<void()> meanwhile)
        : script_(script), meanwhile_(std::move(meanwhile)) {}
    Answer ask(const Prompt& prompt) override {
        if (prompt.text.startsWith(QStringLiteral("Vai proceder à integração dos movimentos")))
            meanwhile_();
        return script_.ask(prompt);
    }

private:
    test::ScriptedPrompter& script_;
    std::function<void()> meanwhile_;
};

TEST_P(Commands, lines_changed_after_the_account_check_stop_the_company_unwritten) {
    const std::vector<std::pair<const char*, std::function<void(DataAccess&)>>> changes{
        {"A conta 9555 (documento FT 2) não existe no plano de contas de 2024",
         [](DataAccess& company) {
             demo::insertMovements(company, balancedDocument(2, QStringLiteral("9555")));
         }},
        {"Foram lidas 4 linhas de movimentos para integrar e a verificação das contas contou 2",
         [](DataAccess& company) { demo::insertMovements(company, balancedDocument(2)); }},
        {"Foram lidas 1 linhas de movimentos para integrar e a verificação das contas contou 2",
         [](DataAccess& company) {
             company.execute(QStringLiteral("DELETE FROM MovCTB WHERE NumLinha = 2"));
         }},
    };
    setup.addCompany(1);
    for (const auto& [error, change] : changes) {
        SCOPED_TRACE(error);
        setup.company(1).execute(QStringLiteral("DELETE FROM MovCTB"));
        setup.addMovements(1, balancedDocument(1));
        prompter.clear();
        prompter.answer(Answer::Ok);
        prompter.answer(Answer::Ok);
        PostingWhileAsked posting(prompter, [&, &change = change] { change(setup.company(1)); });
        ConsolidationEnvironment posted{setup.consolidated(), posting, setup.folder()};
        EXPECT_EQ(runConsolidation(posted, input({1})).outcome, CommandOutcome::Failed);
        EXPECT_TRUE(prompter.lastText().startsWith(
            QStringLiteral("Empresa:   Empresa 1 \n\rErro: ") + QString::fromUtf8(error)))
            << prompter.lastText().toStdString();
        EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 0);
        EXPECT_EQ(setup.ultimoMes(1), QString());
        EXPECT_FALSE(setup.consolidated().inTransaction());
    }
}

TEST_P(Commands, an_amount_or_a_balance_beyond_the_largest_amount_stops_the_company_unwritten) {
    // 900,000,000,000 dollars at 0.0001 would be 9e15 euros; two debits of 5e14 euros make a
    // balance of 1e15. Neither fits an amount: each must fail the company, not wrap around.
    test::CompanyConfig dollars;
    dollars.currency = QStringLiteral("USD");
    setup.addCompany(1, dollars);
    setup.addRate(QStringLiteral("USD"), QDate(2024, 3, 1), QStringLiteral("0.0001"));
    setup.addMovements(1, {line(QStringLiteral("a"), QStringLiteral("FT"), 1, 1,
                                QStringLiteral("9111"), 1, QStringLiteral("900000000000"))});
    setup.addCompany(2);
    setup.addMovements(2, {line(QStringLiteral("b"), QStringLiteral("FT"), 1, 1,
                                QStringLiteral("9111"), 1, QStringLiteral("500000000000000")),
                           line(QStringLiteral("c"), QStringLiteral("FT"), 1, 2,
                                QStringLiteral("9112"), 1, QStringLiteral("500000000000000"))});
    for (int bd : {1, 2}) {
        SCOPED_TRACE(bd);
        prompter.clear();
        prompter.answer(Answer::Ok);
        prompter.answer(Answer::Ok);
        EXPECT_EQ(runConsolidation(environment, input({bd})).outcome, CommandOutcome::Failed);
        EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("excede o montante máximo")))
            << prompter.lastText().toStdString();
        EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QString::number(bd)), 0);
        EXPECT_EQ(setup.ultimoMes(bd), QString());
    }
}

TEST_P(Commands, cancel_on_one_company_skips_only_that_company) {
    for (int bd : {1, 2}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd));
    }
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Cancel);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1, 2})).outcome, CommandOutcome::Done);
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 0);
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("2")), 2);
    EXPECT_EQ(setup.ultimoMes(1), QString());
    EXPECT_EQ(prompter.lastText(),
              QStringLiteral("Empresa:  Empresa 2\r\nIntegração efetuada com sucesso!"));
}

TEST_P(Commands, the_opening_confirmation_and_the_field_check_come_first) {
    setup.addCompany(1);
    prompter.answer(Answer::Cancel);
    EXPECT_EQ(runConsolidation(environment, input({1})).outcome, CommandOutcome::Cancelled);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1}, 0)).outcome, CommandOutcome::FieldsMissing);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({1}, 3, QString())).outcome,
              CommandOutcome::FieldsMissing);
    EXPECT_EQ(prompter.texts().mid(1),
              (QStringList{
                  QStringLiteral("Vai proceder à integração de movimentos!\r\nPretende continuar?"),
                  QStringLiteral("Deve preencher os campos!"),
                  QStringLiteral("Vai proceder à anulação de movimentos!\r\nPretende continuar?"),
                  QStringLiteral("Deve preencher os campos!")}));
}

TEST_P(Commands, an_error_names_the_company_as_its_tab_shows_it_and_ends_the_run) {
    setup.addCompany(1);
    setup.addCompany(2);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1, 2}, 3, QStringLiteral("20x4"))).outcome,
              CommandOutcome::Failed);
    ASSERT_EQ(prompter.texts().size(), 2);
    EXPECT_EQ(
        prompter.lastText(),
        QStringLiteral(
            "Empresa:   Empresa 1 \n\rErro: O ano indicado não é um número válido: \"20x4\""));
}

TEST_P(Commands, quotes_in_type_series_and_currency_are_data) {
    setup.addDocumentType(QStringLiteral("C'S"));
    setup.addRate(QStringLiteral("U'S"), QDate(2024, 3, 4), QStringLiteral("2"));
    test::CompanyConfig config;
    config.tpDoc = QStringLiteral("C'S");
    config.serie = QStringLiteral("1'; --");
    config.currency = QStringLiteral("U'S");
    setup.addCompany(1, config);
    setup.addMovements(1, balancedDocument(1));
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1})).outcome, CommandOutcome::Done);
    Recordset rows = setup.written(config.tpDoc, config.serie);
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.field(QStringLiteral("Valor")).toMoney(), Money::fromWhole(5));

    // Integrated now: the check finds it, and the cancellation removes it.
    prompter.answer(Answer::Ok);
    prompter.answer(Answer::Cancel);
    EXPECT_EQ(runCheckUp(environment, input({1})).outcome, CommandOutcome::AnomaliesFound);
    prompter.clear();
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({1})).outcome, CommandOutcome::Done);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Empresa:  Empresa 1\r\nMovimentos Anulados!"));
    EXPECT_EQ(setup.countWritten(config.tpDoc, config.serie), 0);
}

TEST_P(Commands, cancellation_deletes_the_period_of_each_company_whoever_wrote_it) {
    test::CompanyConfig cumulative;
    cumulative.ateMes = 1;
    setup.addCompany(1, cumulative);
    setup.addCompany(2);
    setup.addCompany(3);
    std::vector<demo::Movement> lines;
    for (int month = 1; month <= 6; ++month) {
        for (const QString& serie :
             {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("9")}) {
            demo::Movement m =
                line(QStringLiteral("x"), QStringLiteral("CNS"), month, 1, QStringLiteral("9111"),
                     1, QStringLiteral("1"), month, 2024, serie);
            lines.push_back(m);
        }
    }
    setup.addConsolidatedMovements(lines);
    setup.consolidated().execute(
        QStringLiteral("UPDATE zeb_CNS_DadosIniciais SET UltimoMes = '05/2024'"));
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({1, 2, 3}, 5)).outcome, CommandOutcome::Done);
    EXPECT_EQ(
        prompter.texts().mid(1),
        (QStringList{QStringLiteral("Empresa:  Empresa 1\r\nMovimentos Anulados!"),
                     QStringLiteral("Empresa:  Empresa 2\r\nMovimentos Anulados!"),
                     QStringLiteral("Empresa:  Empresa 3\r\nPara as condições solicitadas não "
                                    "existem movimentos para Anular!")}));
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("1")), 1);  // month 6 left
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("2")), 5);  // month 5 gone
    EXPECT_EQ(setup.countWritten(QStringLiteral("CNS"), QStringLiteral("9")), 6);
    EXPECT_EQ(setup.ultimoMes(1), QStringLiteral("05/2024"));

    prompter.clear();
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({})).outcome, CommandOutcome::Done);
    EXPECT_EQ(prompter.texts().size(), 1);

    prompter.clear();
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({2, 4, 1})).outcome, CommandOutcome::Failed);
    EXPECT_EQ(prompter.texts().size(), 3);
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("Empresa:   Empresa 4 \n\rErro: ")));
}

// The batch command answers --yes to every question but the offer to print the anomalies, which
// only --print accepts.
TEST(BatchCheckUp, prints_the_anomalies_only_when_asked_to) {
    test::ConsolidationSetup setup(EngineKind::Sqlite);
    setup.addCompany(1);
    setup.addMovements(1, balancedDocument(1, QStringLiteral("9555")));
    demo::writeConfigFile(setup.folder(), QStringLiteral("Consolidado.db"));
    // A print command of our own, found first on the PATH.
    const QString bin = setup.folder() + QStringLiteral("/bin");
    const QString record = setup.folder() + QStringLiteral("/printed.txt");
    ASSERT_TRUE(QDir().mkpath(bin));
    writePrintCommand(bin + QStringLiteral("/lp"), record);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       bin + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    const auto checkUp = [&](const QStringList& extra) {
        QProcess batch;
        batch.setProcessEnvironment(environment);
        batch.start(
            QStringLiteral(AGRIMOR_BATCH),
            QStringList{QStringLiteral("checkup"), QStringLiteral("--year"), QStringLiteral("2024"),
                        QStringLiteral("--month"), QStringLiteral("3"),
                        QStringLiteral("--companies"), QStringLiteral("1"),
                        QStringLiteral("--data-folder"), setup.folder()} +
                extra);
        EXPECT_TRUE(batch.waitForFinished(60000));
        EXPECT_EQ(batch.exitCode(), 2);
        const QString output = QString::fromUtf8(batch.readAllStandardOutput());
        const qsizetype at = output.indexOf(kPrintAnomaliesQuestion);
        return at < 0 ? QString() : output.mid(at).section(QLatin1Char('\n'), 0, 0);
    };

    const QString unattended = checkUp({QStringLiteral("--yes")});
    EXPECT_TRUE(unattended.endsWith(QStringLiteral(".txt [Cancelar]"))) << unattended.toStdString();
    EXPECT_FALSE(QFileInfo::exists(record));

    const QString asked = checkUp({QStringLiteral("--yes"), QStringLiteral("--print")});
    EXPECT_TRUE(asked.endsWith(QStringLiteral(".txt [OK]"))) << asked.toStdString();
    EXPECT_TRUE(QFileInfo::exists(record));
}

INSTANTIATE_TEST_SUITE_P(Engines, Commands,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
