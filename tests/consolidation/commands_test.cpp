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

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;
using test::line;

const QDateTime kStart(QDate(2024, 4, 2), QTime(9, 5, 7));

std::vector<demo::Movement> balancedDocument(int numDoc, const QString& account = u"9111"_s,
                                             int month = 3) {
    return {line(u"a%1"_s.arg(numDoc), u"FT"_s, numDoc, 1, account, 1, u"10"_s, month),
            line(u"b%1"_s.arg(numDoc), u"FT"_s, numDoc, 2, u"9112"_s, 2, u"10"_s, month)};
}

// A print command of our own at `path`, which records its arguments in `record`.
void writePrintCommand(const QString& path, const QString& record) {
    QFile script(path);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(u"#!/bin/sh\necho \"$@\" >> '%1'\n"_s.arg(record).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

class Commands : public ::testing::TestWithParam<EngineKind> {
protected:
    Commands() {
        setup.addAccounts({u"9111"_s, u"9112"_s}, 2024);
        environment.clock = [] { return kStart; };
    }

    QString expectedFile() const { return setup.folder() + u"/Anomalias_20240402090507.txt"_s; }

    QByteArray fileBytes() {
        QFile file(expectedFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    ProcessingInput input(QList<int> bds, int month = 3, const QString& year = u"2024"_s) {
        ProcessingInput in{year, month, {}};
        for (int bd : bds)
            in.companies << CompanyTab{bd, u"  Empresa %1 "_s.arg(bd)};
        return in;
    }

    test::ConsolidationSetup setup{GetParam()};
    test::ScriptedPrompter prompter;
    ConsolidationEnvironment environment{setup.consolidated(), prompter, setup.folder()};
};

TEST(AnomaliesFile, caption_is_trimmed_and_text_starts_at_the_next_print_zone) {
    EXPECT_EQ(anomalyLine(u" Velmor "_s, u"x"_s), u"Velmor        x"_s);
    EXPECT_EQ(anomalyLine(u"Velmor Mediaçã"_s, u"x"_s),  // 14 characters
              u"Velmor Mediaçã"_s + QString(14, QLatin1Char(' ')) + u"x"_s);
    EXPECT_EQ(anomalyLine(u"Velmor Mediaç"_s, u"x"_s),  // 13: one space
              u"Velmor Mediaç x"_s);
    EXPECT_EQ(anomaliesFileName(u"/d"_s, kStart), u"/d/Anomalias_20240402090507.txt"_s);
}

TEST_P(Commands, check_up_reports_each_company_and_writes_one_file_for_all) {
    for (int bd : {1, 2, 3}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd, bd == 2 ? u"9555"_s : u"9111"_s));
    }
    setup.consolidated().execute(u"UPDATE zeb_CNS_DadosIniciais SET TpDoc = '' WHERE BD = 2"_s);
    // Start, anomalies found, do not print.
    prompter.answer({Answer::Ok, Answer::Ok, Answer::Cancel});
    const CommandResult result = runCheckUp(environment, input({1, 2, 3}));
    EXPECT_EQ(result.outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(result.anomaliesFile, expectedFile());
    EXPECT_EQ(prompter.texts(),
              (QStringList{u"Vai proceder ao teste dos movimentos!\r\nPretende continuar?"_s,
                           u"Empresa:  Empresa 1\r\nCheckUp efetuado com sucesso!"_s,
                           u"Empresa:  Empresa 2\r\nAnomalias detetadas!"_s,
                           u"Empresa:  Empresa 3\r\nCheckUp efetuado com sucesso!"_s,
                           u"Foram detetadas anomalias \n\rConsulte o ficheiro "_s + expectedFile(),
                           u"Pretende imprimir as anomalias? "_s + expectedFile()}));
    EXPECT_EQ(prompter.prompts().at(4).kind, PromptKind::OkCancel);
    EXPECT_EQ(fileBytes(), QByteArray("Empresa 2     Tipo Documento não preenchido\r\n"
                                      "Empresa 2     9555 Conta não existente\r\n"
                                      "\r\n"));
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 0);
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
    setup.addMovements(1, balancedDocument(1, u"9555"_s));
    const QString record = setup.folder() + u"/printed.txt"_s;
    const QString fakeLp = setup.folder() + u"/lp"_s;
    writePrintCommand(fakeLp, record);
    environment.print.program = fakeLp;
    prompter.answer({Answer::Ok, Answer::Ok, Answer::Ok});
    runCheckUp(environment, input({1}));
    EXPECT_EQ(prompter.texts().size(), 4);  // nothing after the print question
    QFile printed(record);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_EQ(printed.readAll().trimmed(), expectedFile().toUtf8());

    prompter.clear();
    environment.print.program = setup.folder() + u"/no-such-lp"_s;
    prompter.answer({Answer::Ok, Answer::Ok, Answer::Ok});
    runCheckUp(environment, input({1}));
    ASSERT_EQ(prompter.texts().size(), 5);
    EXPECT_TRUE(prompter.lastText().startsWith(
        u"Não há serviço de impressão disponível: o ficheiro "_s + expectedFile()));
}

TEST_P(Commands, a_company_file_that_is_no_database_is_that_companys_anomaly_and_the_rest_go_on) {
    for (int bd : {1, 2, 3}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd));
    }
    QFile notADatabase(setup.folder() + u"/Agrimor.zeb"_s);
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write("[Ligacao]\r\nServidor=sqlite\r\n");
    notADatabase.close();
    setup.consolidated().execute(
        u"UPDATE zeb_CNS_Parametros SET Empresa = 'Agrimor.zeb' WHERE BD = 2"_s);
    // Start, anomalies found, do not print.
    prompter.answer({Answer::Ok, Answer::Ok, Answer::Cancel});
    EXPECT_EQ(runCheckUp(environment, input({1, 2, 3})).outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(prompter.texts().mid(1, 3),
              (QStringList{u"Empresa:  Empresa 1\r\nCheckUp efetuado com sucesso!"_s,
                           u"Empresa:  Empresa 2\r\nAnomalias detetadas!"_s,
                           u"Empresa:  Empresa 3\r\nCheckUp efetuado com sucesso!"_s}));
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
    EXPECT_TRUE(prompter.lastText().startsWith(u"Empresa:   Empresa 2 \n\rErro: "_s));
}

TEST_P(Commands, run_stops_at_the_first_company_with_anomalies_after_writing_the_earlier_ones) {
    for (int bd : {1, 2, 3}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd));
    }
    setup.consolidated().execute(
        u"UPDATE zeb_CNS_Parametros SET Empresa = 'gone.db' WHERE BD = 2"_s);
    prompter.answer({Answer::Ok, Answer::Ok});
    const CommandResult result = runConsolidation(environment, input({1, 2, 3}));
    EXPECT_EQ(result.outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(
        prompter.texts().mid(2),
        (QStringList{u"Empresa:  Empresa 1\r\nIntegração efetuada com sucesso!"_s,
                     u"Foram detetadas anomalias \n\rConsulte o ficheiro "_s + expectedFile()}));
    EXPECT_EQ(prompter.prompts().back().kind, PromptKind::Information);
    EXPECT_EQ(fileBytes(),
              QByteArray("Empresa 2     Parâmetros de ligação à BD incorretos\r\n\r\n"));
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 2);
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"3"_s), 0);
    EXPECT_EQ(setup.ultimoMes(1), u"03/2024"_s);
    EXPECT_EQ(setup.ultimoMes(3), QString());
}

TEST_P(Commands, a_rate_row_without_a_rate_stops_the_run_before_writing_and_shows_in_the_check_up) {
    setup.addCompany(1, {.currency = u"USD"_s});
    setup.addMovements(1, balancedDocument(1));
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"1.0813"_s);
    setup.consolidated().execute(
        u"INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES (?, ?, NULL)"_s,
        {u"USD"_s, QDate(2024, 3, 15)});
    const QByteArray expectedBytes(
        "Empresa 1     Câmbio nulo ou zero para a moeda USD em 15-03-2024\r\n\r\n");

    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1})).outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(prompter.lastText(),
              u"Foram detetadas anomalias \n\rConsulte o ficheiro "_s + expectedFile());
    EXPECT_EQ(fileBytes(), expectedBytes);
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 0);
    EXPECT_EQ(setup.ultimoMes(1), QString());

    prompter.clear();
    prompter.answer({Answer::Ok, Answer::Ok, Answer::Cancel});
    EXPECT_EQ(runCheckUp(environment, input({1})).outcome, CommandOutcome::AnomaliesFound);
    EXPECT_EQ(prompter.texts().at(1), u"Empresa:  Empresa 1\r\nAnomalias detetadas!"_s);
    EXPECT_EQ(fileBytes(), expectedBytes);
}

// Answers from the script, and runs `meanwhile` when the per-company question is asked, as if
// someone posted in the company database while the question waited.
class PostingWhileAsked : public Prompter {
public:
    PostingWhileAsked(test::ScriptedPrompter& script, std::function<void()> meanwhile)
        : script_(script), meanwhile_(std::move(meanwhile)) {}
    Answer ask(const Prompt& prompt) override {
        if (prompt.text.startsWith(u"Vai proceder à integração dos movimentos"_s))
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
             demo::insertMovements(company, balancedDocument(2, u"9555"_s));
         }},
        {"Foram lidas 4 linhas de movimentos para integrar e a verificação das contas contou 2",
         [](DataAccess& company) { demo::insertMovements(company, balancedDocument(2)); }},
        {"Foram lidas 1 linhas de movimentos para integrar e a verificação das contas contou 2",
         [](DataAccess& company) { company.execute(u"DELETE FROM MovCTB WHERE NumLinha = 2"_s); }},
    };
    setup.addCompany(1);
    for (const auto& [error, change] : changes) {
        SCOPED_TRACE(error);
        setup.company(1).execute(u"DELETE FROM MovCTB"_s);
        setup.addMovements(1, balancedDocument(1));
        prompter.clear();
        prompter.answer({Answer::Ok, Answer::Ok});
        PostingWhileAsked posting(prompter, [&, &change = change] { change(setup.company(1)); });
        ConsolidationEnvironment posted{setup.consolidated(), posting, setup.folder()};
        EXPECT_EQ(runConsolidation(posted, input({1})).outcome, CommandOutcome::Failed);
        EXPECT_TRUE(prompter.lastText().startsWith(u"Empresa:   Empresa 1 \n\rErro: "_s +
                                                   QString::fromUtf8(error)))
            << prompter.lastText().toStdString();
        EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 0);
        EXPECT_EQ(setup.ultimoMes(1), QString());
        EXPECT_FALSE(setup.consolidated().inTransaction());
    }
}

TEST_P(Commands, an_amount_or_a_balance_beyond_the_largest_amount_stops_the_company_unwritten) {
    // 900,000,000,000 dollars at 0.0001 would be 9e15 euros; two debits of 5e14 euros make a
    // balance of 1e15. Neither fits an amount: each must fail the company, not wrap around.
    setup.addCompany(1, {.currency = u"USD"_s});
    setup.addRate(u"USD"_s, QDate(2024, 3, 1), u"0.0001"_s);
    setup.addMovements(1, {line(u"a"_s, u"FT"_s, 1, 1, u"9111"_s, 1, u"900000000000"_s)});
    setup.addCompany(2);
    setup.addMovements(2, {line(u"b"_s, u"FT"_s, 1, 1, u"9111"_s, 1, u"500000000000000"_s),
                           line(u"c"_s, u"FT"_s, 1, 2, u"9112"_s, 1, u"500000000000000"_s)});
    for (int bd : {1, 2}) {
        SCOPED_TRACE(bd);
        prompter.clear();
        prompter.answer({Answer::Ok, Answer::Ok});
        EXPECT_EQ(runConsolidation(environment, input({bd})).outcome, CommandOutcome::Failed);
        EXPECT_TRUE(prompter.lastText().contains(u"excede o montante máximo"_s))
            << prompter.lastText().toStdString();
        EXPECT_EQ(setup.countWritten(u"CNS"_s, QString::number(bd)), 0);
        EXPECT_EQ(setup.ultimoMes(bd), QString());
    }
}

TEST_P(Commands, cancel_on_one_company_skips_only_that_company) {
    for (int bd : {1, 2}) {
        setup.addCompany(bd);
        setup.addMovements(bd, balancedDocument(bd));
    }
    prompter.answer({Answer::Ok, Answer::Cancel, Answer::Ok});
    EXPECT_EQ(runConsolidation(environment, input({1, 2})).outcome, CommandOutcome::Done);
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 0);
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"2"_s), 2);
    EXPECT_EQ(setup.ultimoMes(1), QString());
    EXPECT_EQ(prompter.lastText(), u"Empresa:  Empresa 2\r\nIntegração efetuada com sucesso!"_s);
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
              (QStringList{u"Vai proceder à integração de movimentos!\r\nPretende continuar?"_s,
                           u"Deve preencher os campos!"_s,
                           u"Vai proceder à anulação de movimentos!\r\nPretende continuar?"_s,
                           u"Deve preencher os campos!"_s}));
}

TEST_P(Commands, an_error_names_the_company_as_its_tab_shows_it_and_ends_the_run) {
    setup.addCompany(1);
    setup.addCompany(2);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runConsolidation(environment, input({1, 2}, 3, u"20x4"_s)).outcome,
              CommandOutcome::Failed);
    ASSERT_EQ(prompter.texts().size(), 2);
    EXPECT_EQ(
        prompter.lastText(),
        QStringLiteral(
            "Empresa:   Empresa 1 \n\rErro: O ano indicado não é um número válido: \"20x4\""));
}

TEST_P(Commands, quotes_in_type_series_and_currency_are_data) {
    setup.addDocumentType(u"C'S"_s);
    setup.addRate(u"U'S"_s, QDate(2024, 3, 4), u"2"_s);
    test::CompanyConfig config;
    config.tpDoc = u"C'S"_s;
    config.serie = u"1'; --"_s;
    config.currency = u"U'S"_s;
    setup.addCompany(1, config);
    setup.addMovements(1, balancedDocument(1));
    prompter.answer({Answer::Ok, Answer::Ok});
    EXPECT_EQ(runConsolidation(environment, input({1})).outcome, CommandOutcome::Done);
    Recordset rows = setup.written(config.tpDoc, config.serie);
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.field(u"Valor"_s).toMoney(), Money::fromWhole(5));

    // Integrated now: the check finds it, and the cancellation removes it.
    prompter.answer({Answer::Ok, Answer::Cancel});
    EXPECT_EQ(runCheckUp(environment, input({1})).outcome, CommandOutcome::AnomaliesFound);
    prompter.clear();
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({1})).outcome, CommandOutcome::Done);
    EXPECT_EQ(prompter.lastText(), u"Empresa:  Empresa 1\r\nMovimentos Anulados!"_s);
    EXPECT_EQ(setup.countWritten(config.tpDoc, config.serie), 0);
}

TEST_P(Commands, cancellation_deletes_the_period_of_each_company_whoever_wrote_it) {
    setup.addCompany(1, {.ateMes = 1});
    setup.addCompany(2);
    setup.addCompany(3);
    std::vector<demo::Movement> lines;
    for (int month = 1; month <= 6; ++month) {
        for (const QString& serie : {u"1"_s, u"2"_s, u"9"_s}) {
            demo::Movement m =
                line(u"x"_s, u"CNS"_s, month, 1, u"9111"_s, 1, u"1"_s, month, 2024, serie);
            lines.push_back(m);
        }
    }
    setup.addConsolidatedMovements(lines);
    setup.consolidated().execute(u"UPDATE zeb_CNS_DadosIniciais SET UltimoMes = '05/2024'"_s);
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({1, 2, 3}, 5)).outcome, CommandOutcome::Done);
    EXPECT_EQ(
        prompter.texts().mid(1),
        (QStringList{u"Empresa:  Empresa 1\r\nMovimentos Anulados!"_s,
                     u"Empresa:  Empresa 2\r\nMovimentos Anulados!"_s,
                     QStringLiteral("Empresa:  Empresa 3\r\nPara as condições solicitadas não "
                                    "existem movimentos para Anular!")}));
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), 1);  // month 6 left
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"2"_s), 5);  // month 5 gone
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"9"_s), 6);
    EXPECT_EQ(setup.ultimoMes(1), u"05/2024"_s);

    prompter.clear();
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({})).outcome, CommandOutcome::Done);
    EXPECT_EQ(prompter.texts().size(), 1);

    prompter.clear();
    prompter.answer(Answer::Ok);
    EXPECT_EQ(runCancellation(environment, input({2, 4, 1})).outcome, CommandOutcome::Failed);
    EXPECT_EQ(prompter.texts().size(), 3);
    EXPECT_TRUE(prompter.lastText().startsWith(u"Empresa:   Empresa 4 \n\rErro: "_s));
}

// The batch command answers --yes to every question but the offer to print the anomalies, which
// only --print accepts.
TEST(BatchCheckUp, prints_the_anomalies_only_when_asked_to) {
    test::ConsolidationSetup setup(EngineKind::Sqlite);
    setup.addCompany(1);
    setup.addMovements(1, balancedDocument(1, u"9555"_s));
    demo::writeConfigFile(setup.folder(), u"Consolidado.db"_s);
    // A print command of our own, found first on the PATH.
    const QString bin = setup.folder() + u"/bin"_s;
    const QString record = setup.folder() + u"/printed.txt"_s;
    ASSERT_TRUE(QDir().mkpath(bin));
    writePrintCommand(bin + u"/lp"_s, record);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_s, bin + QLatin1Char(':') + environment.value(u"PATH"_s));
    const auto checkUp = [&](const QStringList& extra) {
        QProcess batch;
        batch.setProcessEnvironment(environment);
        batch.start(QStringLiteral(AGRIMOR_BATCH),
                    QStringList{u"checkup"_s, u"--year"_s, u"2024"_s, u"--month"_s, u"3"_s,
                                u"--companies"_s, u"1"_s, u"--data-folder"_s, setup.folder()} +
                        extra);
        EXPECT_TRUE(batch.waitForFinished(60000));
        EXPECT_EQ(batch.exitCode(), 2);
        const QString output = QString::fromUtf8(batch.readAllStandardOutput());
        const qsizetype at = output.indexOf(kPrintAnomaliesQuestion);
        return at < 0 ? QString() : output.mid(at).section(QLatin1Char('\n'), 0, 0);
    };

    const QString unattended = checkUp({u"--yes"_s});
    EXPECT_TRUE(unattended.endsWith(u".txt [Cancelar]"_s)) << unattended.toStdString();
    EXPECT_FALSE(QFileInfo::exists(record));

    const QString asked = checkUp({u"--yes"_s, u"--print"_s});
    EXPECT_TRUE(asked.endsWith(u".txt [OK]"_s)) << asked.toStdString();
    EXPECT_TRUE(QFileInfo::exists(record));
}

INSTANTIATE_TEST_SUITE_P(Engines, Commands,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
