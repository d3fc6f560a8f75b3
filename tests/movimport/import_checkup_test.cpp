// The import check-up: every rule and its text, the per-document references and balance, the
// required columns, the messages and the anomalies file, on both engines.

#include "movimport/import_checkup.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "movimport/import_environment.h"
#include "movimport/import_error.h"
#include "tests/movimport/import_setup.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using L = ImportLinesTable;
using test::addLine;
using test::EngineKind;
using test::text;

QStringList texts(const std::vector<ImportAnomaly>& anomalies) {
    QStringList list;
    for (const ImportAnomaly& anomaly : anomalies)
        list << anomaly.text;
    return list;
}

// A balanced purchase: the expense on 6221 and the supplier F1 on 221, with changes per line.
void purchase(L& lines, const QString& doc, test::LineChanges first = {},
              test::LineChanges second = {}) {
    addLine(lines, doc, u"6221"_s, 1, u"100"_s, first);
    addLine(lines, doc, u"221"_s, 2, u"100"_s, second);
}

class CheckUpTest : public test::ImportTest {
protected:
    std::vector<ImportAnomaly> check() { return checkImportLines(company.db(), lines); }
};

TEST_P(CheckUpTest, each_rule_reports_its_text_once_per_offending_line_in_rule_order) {
    // Numerators and a journal that isolate one rule per document below.
    company.db().execute(
        QStringLiteral("INSERT INTO NumDoc (Ano, Serie, Doc, Num) VALUES (2024, '2', 'FC', 0), "
                       "(2024, '1', 'ZZ', 0)"));
    company.db().execute(QStringLiteral(
        "INSERT INTO NumDiar (Ano, Diario, Mes, Numerado) VALUES (2024, '99', 0, 0)"));
    company.db().execute(u"INSERT INTO DIARIO (Codigo) VALUES ('05')"_s);

    addLine(lines, u"D01"_s, u"6221"_s, 1, u"100"_s);
    addLine(lines, u"D01"_s, u"221"_s, 2, u"60"_s, {{L::Serie, text("2")}});
    addLine(lines, u"D01"_s, u"221"_s, 2, u"40"_s, {{L::Serie, text("2")}});
    purchase(lines, u"D02"_s, {}, {{L::DataDoc, text("06-03-2024")}});
    purchase(lines, u"D03"_s, {{L::DataR, text("06-03-2024")}}, {{L::DataR, text("04-03-2024")}});
    purchase(lines, u"D04"_s, {}, {{L::TpDoc, text("FT")}});
    purchase(lines, u"D05"_s, {}, {{L::Setor, text("02")}});
    purchase(lines, u"D06"_s, {}, {{L::Diario, text("02")}});
    purchase(lines, u"D07"_s, {{L::DataDoc, text("05-03-2023")}},
             {{L::DataDoc, text("05-03-2023")}});
    purchase(lines, u"D08"_s, {{L::Diario, text("05")}}, {{L::Diario, text("05")}});
    purchase(lines, u"D09"_s, {{L::Serie, text("9")}}, {{L::Serie, text("9")}});
    purchase(lines, u"D10"_s, {{L::Conta, text("62")}}, {{L::Conta, text("6999")}});
    addLine(lines, u"D10"_s, u"7111"_s, 1, u"0"_s);
    purchase(lines, u"D11"_s, {{L::TpDoc, text("ZZ")}}, {{L::TpDoc, text("ZZ")}});
    purchase(lines, u"D12"_s, {{L::Setor, text("99")}}, {{L::Setor, text("99")}});
    purchase(lines, u"D13"_s, {{L::Diario, text("99")}}, {{L::Diario, text("99")}});
    purchase(lines, u"D14"_s, {{L::RubOrc, text("R99")}}, {{L::RubOrc, text("R01")}});
    purchase(lines, u"D15"_s, {{L::CCustOrc, text("CC9")}}, {{L::CCustOrc, text("CC1")}});
    purchase(lines, u"D16"_s, {{L::Custeio, text("P9")}}, {{L::Custeio, text("P1")}});
    purchase(lines, u"D17"_s, {{L::CodIva, text("IVA6")}}, {{L::CodIva, text("IVA23")}});
    purchase(lines, u"D18"_s, {{L::CodFlu, text("F9")}}, {{L::CodFlu, text("F1")}});
    purchase(lines, u"D19"_s, {{L::TpTerc, 2}, {L::Terc, text("F1")}},
             {{L::TpTerc, 1}, {L::Terc, text("F9")}});
    addLine(lines, u"D19"_s, u"221"_s, 1, u"0"_s, {{L::TpTerc, 3}, {L::Terc, text("XX")}});
    addLine(lines, u"D19"_s, u"221"_s, 1, u"0"_s, {{L::TpTerc, 1}, {L::Terc, text("O'Brien")}});
    purchase(lines, u"D20"_s, {}, {{L::Valor, Value(*Money::parse(u"99.99"))}});

    const QStringList expected{
        u"A série tem de ser igual no documento, D01"_s,
        u"A série tem de ser igual no documento, D01"_s,
        u"A data documento tem de ser igual no documento, D02"_s,
        u"Data real é superior à data do documento, D03"_s,
        u"O Tipo Documento tem de ser igual em todo o documento, D04"_s,
        u"O Setor tem de ser igual em todo o documento, D05"_s,
        u"O Diário tem de ser igual em todo o documento, D06"_s,
        u"Não existe numerador do diário para o documento, D07"_s,
        u"Não existe numerador do tipo documento para o documento, D07"_s,
        u"Conta Inválida 6221 no documento, D07"_s,
        u"Não existe numerador do diário para o documento, D07"_s,
        u"Não existe numerador do tipo documento para o documento, D07"_s,
        u"Conta Inválida 221 no documento, D07"_s,
        u"Não existe numerador do diário para o documento, D08"_s,
        u"Não existe numerador do diário para o documento, D08"_s,
        u"Não existe numerador do tipo documento para o documento, D09"_s,
        u"Não existe numerador do tipo documento para o documento, D09"_s,
        u"Conta Inválida 62 no documento, D10"_s,
        u"Conta Inválida 6999 no documento, D10"_s,
        u"Tipo Documento inválido ZZ no documento, D11"_s,
        u"Tipo Documento inválido ZZ no documento, D11"_s,
        u"Setor inválido 99 no documento, D12"_s,
        u"Setor inválido 99 no documento, D12"_s,
        u"Diário inválido 99 no documento, D13"_s,
        u"Diário inválido 99 no documento, D13"_s,
        u"Rubrica Orçamental inválida R99 no documento, D14"_s,
        u"Centro Custo inválido CC9 no documento, D15"_s,
        u"Custeio inválido P9 no documento, D16"_s,
        u"Código IVA inválido IVA6 no documento, D17"_s,
        u"Código Fluxo inválido F9 no documento, D18"_s,
        u"Terceiro inválido F1 no documento, D19"_s,
        u"Terceiro inválido F9 no documento, D19"_s,
        u"Débito <> Crédito no documento, D20"_s,
    };
    const auto anomalies = check();
    EXPECT_EQ(texts(anomalies), expected);

    // Each points at its line's sheet row; the balance at the document.
    ASSERT_EQ(anomalies.size(), static_cast<std::size_t>(expected.size()));
    EXPECT_EQ(anomalies[0].sheetRow, 3);
    EXPECT_EQ(anomalies[1].sheetRow, 4);
    EXPECT_EQ(anomalies[1].line, 2);
    EXPECT_EQ(anomalies[1].document, u"D01"_s);
    EXPECT_EQ(anomalies.back().line, -1);
    EXPECT_EQ(anomalies.back().document, u"D20"_s);
}

TEST_P(CheckUpTest, references_and_totals_start_again_with_each_document) {
    // Each document on its own is consistent and balanced; a later line repeats the anomaly.
    purchase(lines, u"A"_s);
    purchase(lines, u"B"_s, {{L::Serie, text("2")}, {L::Setor, text("02")}},
             {{L::Serie, text("2")}, {L::Setor, text("02")}});
    company.db().execute(
        u"INSERT INTO NumDoc (Ano, Serie, Doc, Num) VALUES (2024, '2', 'FC', 0)"_s);
    EXPECT_TRUE(check().empty());

    // S1, S2, S2: the reference stays with the first line.
    addLine(lines, u"C"_s, u"6221"_s, 1, u"1"_s);
    addLine(lines, u"C"_s, u"221"_s, 2, u"0.5"_s, {{L::Serie, text("2")}});
    addLine(lines, u"C"_s, u"221"_s, 2, u"0.5"_s, {{L::Serie, text("2")}});
    const QString different = u"A série tem de ser igual no documento, C"_s;
    EXPECT_EQ(texts(check()), (QStringList{different, different}));
}

TEST_P(CheckUpTest, debit_and_credit_compare_exactly_to_four_decimals) {
    addLine(lines, u"A"_s, u"6221"_s, 1, u"0.1"_s);
    addLine(lines, u"A"_s, u"6221"_s, 1, u"0.2"_s);
    addLine(lines, u"A"_s, u"221"_s, 2, u"0.3"_s);
    // Neither side: not counted.
    addLine(lines, u"A"_s, u"221"_s, 3, u"5"_s);
    addLine(lines, u"A"_s, u"221"_s, 2, u"5"_s, {{L::DbCr, Value()}});
    addLine(lines, u"B"_s, u"6221"_s, 1, u"1.0001"_s);
    addLine(lines, u"B"_s, u"221"_s, 2, u"1"_s);
    EXPECT_EQ(texts(check()), QStringList{u"Débito <> Crédito no documento, B"_s});
}

// Two debits of 800 billion pass the largest amount: left to wrap round, their sum would have
// balanced against a credit of -244 billion.
TEST_P(CheckUpTest, a_sum_past_the_largest_amount_stops_with_the_document_named) {
    purchase(lines, u"A"_s);
    addLine(lines, u"B"_s, u"6221"_s, 1, u"800000000000000"_s);
    addLine(lines, u"B"_s, u"6221"_s, 1, u"800000000000000"_s);
    addLine(lines, u"B"_s, u"221"_s, 2, u"-244674407370955.1616"_s);
    const QString tooLarge =
        u"Os valores do documento B somam mais do que o maior montante possível."_s;
    for (const auto& sum :
         std::vector<std::function<void()>>{[&] { check(); }, [&] { importTotals(lines); }}) {
        try {
            sum();
            ADD_FAILURE();
        } catch (const ImportError& error) {
            EXPECT_EQ(error.message(), tooLarge);
        }
    }
}

TEST_P(CheckUpTest, an_empty_required_column_or_an_impossible_date_is_an_anomaly_of_its_line) {
    purchase(lines, u"A"_s, {{L::Serie, Value()}, {L::Conta, Value()}},
             {{L::TpDoc, Value()}, {L::Diario, Value()}});
    purchase(lines, u"B"_s, {{L::DataDoc, Value()}, {L::Setor, Value()}}, {{L::DataDoc, Value()}});
    purchase(lines, u"C"_s, {{L::DataDoc, text("31-02-2024")}},
             {{L::DataDoc, text("31-02-2024")}, {L::DataR, text("1-2-x")}});
    // Blank text counts as empty, as in every other rule.
    purchase(lines, u"D"_s, {{L::Conta, text("")}});
    EXPECT_EQ(texts(check()), (QStringList{
                                  u"Coluna Serie vazia no documento, A"_s,
                                  u"Coluna Conta vazia no documento, A"_s,
                                  u"Coluna TpDoc vazia no documento, A"_s,
                                  u"Coluna Diario vazia no documento, A"_s,
                                  u"Coluna DataDoc vazia no documento, B"_s,
                                  u"Coluna Setor vazia no documento, B"_s,
                                  u"Coluna DataDoc vazia no documento, B"_s,
                                  u"Data documento inválida 31-02-2024 no documento, C"_s,
                                  u"Data documento inválida 31-02-2024 no documento, C"_s,
                                  u"Data real inválida 1-2-x no documento, C"_s,
                                  u"Coluna Conta vazia no documento, D"_s,
                              }));
}

TEST_P(CheckUpTest, optional_codes_and_other_third_party_kinds_are_skipped_when_empty) {
    purchase(lines, u"A"_s,
             {{L::RubOrc, text("")}, {L::CCustOrc, Value()}, {L::TpTerc, 4}, {L::Terc, text("?")}},
             {{L::TpTerc, Value()}, {L::Terc, text("nobody")}, {L::DataR, text("05-03-2024")}});
    EXPECT_TRUE(check().empty());
}

TEST_P(CheckUpTest, tells_the_outcome_and_writes_the_anomalies_file_only_with_anomalies) {
    test::ScriptedPrompter prompter;
    ImportEnvironment environment(&company.db(), prompter, u"Velmor"_s, company.folder());
    environment.clock = [] { return QDateTime(QDate(2024, 1, 31), QTime(14, 25, 30)); };
    const QString file = company.folder() + u"/Anomalias_ImpMov20240131142530.txt"_s;

    purchase(lines, u"A"_s);
    EXPECT_TRUE(checkUpImport(environment, lines).ok());
    EXPECT_EQ(prompter.texts(),
              QStringList{u"Empresa:  Velmor\r\nCheckUp efetuado com sucesso!"_s});
    EXPECT_FALSE(QFileInfo::exists(file));

    prompter.clear();
    purchase(lines, u"B"_s, {{L::RubOrc, text("R99")}});
    addLine(lines, u"B"_s, u"221"_s, 2, u"1"_s);
    const ImportCheckUp result = checkUpImport(environment, lines);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.anomaliesFile, file);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("Empresa:  Velmor\r\nAnomalias "
                                                           "detetadas!\r\nConsulte: ") +
                                            file});
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("Rubrica Or\xc3\xa7"
                                            "amental inv\xc3\xa1lida R99 no documento, B\r\n"
                                            "D\xc3\xa9"
                                            "bito <> Cr\xc3\xa9"
                                            "dito no documento, B\r\n"));
}

TEST_P(CheckUpTest, no_lines_pass_and_a_lost_connection_is_an_error_not_a_pass) {
    test::ScriptedPrompter prompter;
    ImportEnvironment environment(&company.db(), prompter, u"Velmor"_s, company.folder());
    EXPECT_TRUE(checkUpImport(environment, lines).ok());
    purchase(lines, u"A"_s);
    company.db().close();
    EXPECT_ANY_THROW(checkUpImport(environment, lines));
}

INSTANTIATE_TEST_SUITE_P(Engines, CheckUpTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
