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
    addLine(lines, doc, QStringLiteral("6221"), 1, QStringLiteral("100"), first);
    addLine(lines, doc, QStringLiteral("221"), 2, QStringLiteral("100"), second);
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
    company.db().execute(QStringLiteral("INSERT INTO DIARIO (Codigo) VALUES ('05')"));

    addLine(lines, QStringLiteral("D01"), QStringLiteral("6221"), 1, QStringLiteral("100"));
    addLine(lines, QStringLiteral("D01"), QStringLiteral("221"), 2, QStringLiteral("60"),
            {{L::Serie, text("2")}});
    addLine(lines, QStringLiteral("D01"), QStringLiteral("221"), 2, QStringLiteral("40"),
            {{L::Serie, text("2")}});
    purchase(lines, QStringLiteral("D02"), {}, {{L::DataDoc, text("06-03-2024")}});
    purchase(lines, QStringLiteral("D03"), {{L::DataR, text("06-03-2024")}},
             {{L::DataR, text("04-03-2024")}});
    purchase(lines, QStringLiteral("D04"), {}, {{L::TpDoc, text("FT")}});
    purchase(lines, QStringLiteral("D05"), {}, {{L::Setor, text("02")}});
    purchase(lines, QStringLiteral("D06"), {}, {{L::Diario, text("02")}});
    purchase(lines, QStringLiteral("D07"), {{L::DataDoc, text("05-03-2023")}},
             {{L::DataDoc, text("05-03-2023")}});
    purchase(lines, QStringLiteral("D08"), {{L::Diario, text("05")}}, {{L::Diario, text("05")}});
    purchase(lines, QStringLiteral("D09"), {{L::Serie, text("9")}}, {{L::Serie, text("9")}});
    purchase(lines, QStringLiteral("D10"), {{L::Conta, text("62")}}, {{L::Conta, text("6999")}});
    addLine(lines, QStringLiteral("D10"), QStringLiteral("7111"), 1, QStringLiteral("0"));
    purchase(lines, QStringLiteral("D11"), {{L::TpDoc, text("ZZ")}}, {{L::TpDoc, text("ZZ")}});
    purchase(lines, QStringLiteral("D12"), {{L::Setor, text("99")}}, {{L::Setor, text("99")}});
    purchase(lines, QStringLiteral("D13"), {{L::Diario, text("99")}}, {{L::Diario, text("99")}});
    purchase(lines, QStringLiteral("D14"), {{L::RubOrc, text("R99")}}, {{L::RubOrc, text("R01")}});
    purchase(lines, QStringLiteral("D15"), {{L::CCustOrc, text("CC9")}},
             {{L::CCustOrc, text("CC1")}});
    purchase(lines, QStringLiteral("D16"), {{L::Custeio, text("P9")}}, {{L::Custeio, text("P1")}});
    purchase(lines, QStringLiteral("D17"), {{L::CodIva, text("IVA6")}},
             {{L::CodIva, text("IVA23")}});
    purchase(lines, QStringLiteral("D18"), {{L::CodFlu, text("F9")}}, {{L::CodFlu, text("F1")}});
    purchase(lines, QStringLiteral("D19"), {{L::TpTerc, 2}, {L::Terc, text("F1")}},
             {{L::TpTerc, 1}, {L::Terc, text("F9")}});
    addLine(lines, QStringLiteral("D19"), QStringLiteral("221"), 1, QStringLiteral("0"),
            {{L::TpTerc, 3}, {L::Terc, text("XX")}});
    addLine(lines, QStringLiteral("D19"), QStringLiteral("221"), 1, QStringLiteral("0"),
            {{L::TpTerc, 1}, {L::Terc, text("O'Brien")}});
    purchase(lines, QStringLiteral("D20"), {}, {{L::Valor, Value(*Money::parse(u"99.99"))}});

    const QStringList expected{
        QString::fromUtf8("A série tem de ser igual no documento, D01"),
        QString::fromUtf8("A série tem de ser igual no documento, D01"),
        QString::fromUtf8("A data documento tem de ser igual no documento, D02"),
        QString::fromUtf8("Data real é superior à data do documento, D03"),
        QString::fromUtf8("O Tipo Documento tem de ser igual em todo o documento, D04"),
        QString::fromUtf8("O Setor tem de ser igual em todo o documento, D05"),
        QString::fromUtf8("O Diário tem de ser igual em todo o documento, D06"),
        QString::fromUtf8("Não existe numerador do diário para o documento, D07"),
        QString::fromUtf8("Não existe numerador do tipo documento para o documento, D07"),
        QString::fromUtf8("Conta Inválida 6221 no documento, D07"),
        QString::fromUtf8("Não existe numerador do diário para o documento, D07"),
        QString::fromUtf8("Não existe numerador do tipo documento para o documento, D07"),
        QString::fromUtf8("Conta Inválida 221 no documento, D07"),
        QString::fromUtf8("Não existe numerador do diário para o documento, D08"),
        QString::fromUtf8("Não existe numerador do diário para o documento, D08"),
        QString::fromUtf8("Não existe numerador do tipo documento para o documento, D09"),
        QString::fromUtf8("Não existe numerador do tipo documento para o documento, D09"),
        QString::fromUtf8("Conta Inválida 62 no documento, D10"),
        QString::fromUtf8("Conta Inválida 6999 no documento, D10"),
        QString::fromUtf8("Tipo Documento inválido ZZ no documento, D11"),
        QString::fromUtf8("Tipo Documento inválido ZZ no documento, D11"),
        QString::fromUtf8("Setor inválido 99 no documento, D12"),
        QString::fromUtf8("Setor inválido 99 no documento, D12"),
        QString::fromUtf8("Diário inválido 99 no documento, D13"),
        QString::fromUtf8("Diário inválido 99 no documento, D13"),
        QString::fromUtf8("Rubrica Orçamental inválida R99 no documento, D14"),
        QString::fromUtf8("Centro Custo inválido CC9 no documento, D15"),
        QString::fromUtf8("Custeio inválido P9 no documento, D16"),
        QString::fromUtf8("Código IVA inválido IVA6 no documento, D17"),
        QString::fromUtf8("Código Fluxo inválido F9 no documento, D18"),
        QString::fromUtf8("Terceiro inválido F1 no documento, D19"),
        QString::fromUtf8("Terceiro inválido F9 no documento, D19"),
        QString::fromUtf8("Débito <> Crédito no documento, D20"),
    };
    const auto anomalies = check();
    EXPECT_EQ(texts(anomalies), expected);

    // Each points at its line's sheet row; the balance at the document.
    ASSERT_EQ(anomalies.size(), static_cast<std::size_t>(expected.size()));
    EXPECT_EQ(anomalies[0].sheetRow, 3);
    EXPECT_EQ(anomalies[1].sheetRow, 4);
    EXPECT_EQ(anomalies[1].line, 2);
    EXPECT_EQ(anomalies[1].document, QStringLiteral("D01"));
    EXPECT_EQ(anomalies.back().line, -1);
    EXPECT_EQ(anomalies.back().document, QStringLiteral("D20"));
}

TEST_P(CheckUpTest, references_and_totals_start_again_with_each_document) {
    // Each document on its own is consistent and balanced; a later line repeats the anomaly.
    purchase(lines, QStringLiteral("A"));
    purchase(lines, QStringLiteral("B"), {{L::Serie, text("2")}, {L::Setor, text("02")}},
             {{L::Serie, text("2")}, {L::Setor, text("02")}});
    company.db().execute(
        QStringLiteral("INSERT INTO NumDoc (Ano, Serie, Doc, Num) VALUES (2024, '2', 'FC', 0)"));
    EXPECT_TRUE(check().empty());

    // S1, S2, S2: the reference stays with the first line.
    addLine(lines, QStringLiteral("C"), QStringLiteral("6221"), 1, QStringLiteral("1"));
    addLine(lines, QStringLiteral("C"), QStringLiteral("221"), 2, QStringLiteral("0.5"),
            {{L::Serie, text("2")}});
    addLine(lines, QStringLiteral("C"), QStringLiteral("221"), 2, QStringLiteral("0.5"),
            {{L::Serie, text("2")}});
    const QString different = QString::fromUtf8("A série tem de ser igual no documento, C");
    EXPECT_EQ(texts(check()), (QStringList{different, different}));
}

TEST_P(CheckUpTest, debit_and_credit_compare_exactly_to_four_decimals) {
    addLine(lines, QStringLiteral("A"), QStringLiteral("6221"), 1, QStringLiteral("0.1"));
    addLine(lines, QStringLiteral("A"), QStringLiteral("6221"), 1, QStringLiteral("0.2"));
    addLine(lines, QStringLiteral("A"), QStringLiteral("221"), 2, QStringLiteral("0.3"));
    // Neither side: not counted.
    addLine(lines, QStringLiteral("A"), QStringLiteral("221"), 3, QStringLiteral("5"));
    addLine(lines, QStringLiteral("A"), QStringLiteral("221"), 2, QStringLiteral("5"),
            {{L::DbCr, Value()}});
    addLine(lines, QStringLiteral("B"), QStringLiteral("6221"), 1, QStringLiteral("1.0001"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("221"), 2, QStringLiteral("1"));
    EXPECT_EQ(texts(check()), QStringList{QString::fromUtf8("Débito <> Crédito no documento, B")});
}

// Two debits of 800 billion pass the largest amount: left to wrap round, their sum would have
// balanced against a credit of -244 billion.
TEST_P(CheckUpTest, a_sum_past_the_largest_amount_stops_with_the_document_named) {
    purchase(lines, QStringLiteral("A"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("6221"), 1,
            QStringLiteral("800000000000000"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("6221"), 1,
            QStringLiteral("800000000000000"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("221"), 2,
            QStringLiteral("-244674407370955.1616"));
    const QString tooLarge =
        QString::fromUtf8("Os valores do documento B somam mais do que o maior montante possível.");
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
    purchase(lines, QStringLiteral("A"), {{L::Serie, Value()}, {L::Conta, Value()}},
             {{L::TpDoc, Value()}, {L::Diario, Value()}});
    purchase(lines, QStringLiteral("B"), {{L::DataDoc, Value()}, {L::Setor, Value()}},
             {{L::DataDoc, Value()}});
    purchase(lines, QStringLiteral("C"), {{L::DataDoc, text("31-02-2024")}},
             {{L::DataDoc, text("31-02-2024")}, {L::DataR, text("1-2-x")}});
    // Blank text counts as empty, as in every other rule.
    purchase(lines, QStringLiteral("D"), {{L::Conta, text("")}});
    EXPECT_EQ(texts(check()),
              (QStringList{
                  QStringLiteral("Coluna Serie vazia no documento, A"),
                  QStringLiteral("Coluna Conta vazia no documento, A"),
                  QStringLiteral("Coluna TpDoc vazia no documento, A"),
                  QStringLiteral("Coluna Diario vazia no documento, A"),
                  QStringLiteral("Coluna DataDoc vazia no documento, B"),
                  QStringLiteral("Coluna Setor vazia no documento, B"),
                  QStringLiteral("Coluna DataDoc vazia no documento, B"),
                  QString::fromUtf8("Data documento inválida 31-02-2024 no documento, C"),
                  QString::fromUtf8("Data documento inválida 31-02-2024 no documento, C"),
                  QString::fromUtf8("Data real inválida 1-2-x no documento, C"),
                  QStringLiteral("Coluna Conta vazia no documento, D"),
              }));
}

TEST_P(CheckUpTest, optional_codes_and_other_third_party_kinds_are_skipped_when_empty) {
    purchase(lines, QStringLiteral("A"),
             {{L::RubOrc, text("")}, {L::CCustOrc, Value()}, {L::TpTerc, 4}, {L::Terc, text("?")}},
             {{L::TpTerc, Value()}, {L::Terc, text("nobody")}, {L::DataR, text("05-03-2024")}});
    EXPECT_TRUE(check().empty());
}

TEST_P(CheckUpTest, tells_the_outcome_and_writes_the_anomalies_file_only_with_anomalies) {
    test::ScriptedPrompter prompter;
    ImportEnvironment environment(&company.db(), prompter, QStringLiteral("Velmor"),
                                  company.folder());
    environment.clock = [] { return QDateTime(QDate(2024, 1, 31), QTime(14, 25, 30)); };
    const QString file = company.folder() + QStringLiteral("/Anomalias_ImpMov20240131142530.txt");

    purchase(lines, QStringLiteral("A"));
    EXPECT_TRUE(checkUpImport(environment, lines).ok());
    EXPECT_EQ(prompter.texts(),
              QStringList{QStringLiteral("Empresa:  Velmor\r\nCheckUp efetuado com sucesso!")});
    EXPECT_FALSE(QFileInfo::exists(file));

    prompter.clear();
    purchase(lines, QStringLiteral("B"), {{L::RubOrc, text("R99")}});
    addLine(lines, QStringLiteral("B"), QStringLiteral("221"), 2, QStringLiteral("1"));
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
    ImportEnvironment environment(&company.db(), prompter, QStringLiteral("Velmor"),
                                  company.folder());
    EXPECT_TRUE(checkUpImport(environment, lines).ok());
    purchase(lines, QStringLiteral("A"));
    company.db().close();
    EXPECT_ANY_THROW(checkUpImport(environment, lines));
}

INSTANTIATE_TEST_SUITE_P(Engines, CheckUpTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
