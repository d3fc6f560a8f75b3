// The load button: field check, year, class-9 settings, the two existence tests, the questions
// and the six combinations of what it finds and what the user answers.

#include <gtest/gtest.h>

#include "class9/class9_settings.h"
#include "class9/derivation.h"
#include "data/db_error.h"
#include "tests/class9/class9_setup.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::class9Line;
using test::EngineKind;
using test::generalLine;

const QString kErpQuestion = QStringLiteral(
    "Existem movimentos Classe 9 gerados pelo ERP!\r\nSe continuar estes movimentos serão "
    "apagados.");
const QString kIntegratedQuestion = QStringLiteral(
    "Já existem movimentos Classe 9 integrados!\r\nPretende carregar esses movimentos?");
const QString kWillDerive =
    u"Vai ser carregada informação para integração\r\ndos movimentos da Classe 9."_s;
const QString kWillReload = u"Vão ser carregados os movimentos já integrados!"_s;
const QString kWillReplace = kWillDerive + QStringLiteral(
                                               "\r\nOs movimentos da classe 9 já integrados "
                                               "serão anulados.");

class Class9Load : public ::testing::Test {
protected:
    Class9Load() {
        setup.addChart({{u"6221"_s, 2024, u"96221"_s, u"96221"_s},
                        {u"221"_s, 2024, u"9122"_s, u"9122"_s},
                        {u"9111"_s, 2024, {}, {}}});
        setup.addLines({generalLine(u"FC"_s, 1, 1, u"6221"_s, 1, u"10"_s),
                        generalLine(u"FC"_s, 1, 2, u"221"_s, 2, u"10"_s)});
    }

    void addErpLines() { setup.addLines({class9Line(u"ANA"_s, 1, 1, u"9111"_s, 1, u"5"_s)}); }
    void addIntegratedLines() {
        setup.addLines({class9Line(u"CL9"_s, 4, 1, u"9111"_s, 1, u"7"_s)});
    }

    Class9Outcome load() {
        Class9Environment environment = setup.environment();
        return loadClass9(environment, setup.input, state);
    }

    int settingsRows() { return test::countRows(setup.consolidated(), u"zeb_CNS_DadosIniciais"_s); }

    test::Class9Setup setup;
    Class9State state;
};

TEST_F(Class9Load, six_combinations_of_what_is_found_and_answered) {
    // What the company holds (the ERP's own lines, an integration), the answer to the reload
    // question, and what the load then shows and decides.
    const auto expect = [](bool erp, bool integrated, Answer atReload, const QStringList& prompts,
                           Class9LoadMode mode, bool cancelErp, bool cancelIntegrated) {
        SCOPED_TRACE(testing::Message() << "erp " << erp << " integrated " << integrated
                                        << " reload " << (atReload == Answer::Ok));
        test::Class9Setup fresh;
        fresh.addChart({{u"6221"_s, 2024, u"96221"_s, {}}, {u"9111"_s, 2024, {}, {}}});
        fresh.addLines({generalLine(u"FC"_s, 1, 1, u"6221"_s, 1, u"10"_s)});
        if (erp) {
            fresh.addLines({class9Line(u"ANA"_s, 1, 1, u"9111"_s, 1, u"5"_s)});
            fresh.prompter.answer(Answer::Ok);
        }
        if (integrated) {
            fresh.addLines({class9Line(u"CL9"_s, 4, 1, u"9111"_s, 1, u"7"_s)});
            fresh.prompter.answer(atReload);
        }
        Class9State state;
        Class9Environment environment = fresh.environment();
        EXPECT_EQ(loadClass9(environment, fresh.input, state), Class9Outcome::Done);
        EXPECT_EQ(fresh.prompter.texts(), prompts);
        EXPECT_TRUE(state.loaded);
        EXPECT_EQ(state.mode, mode);
        EXPECT_EQ(state.cancelErp, cancelErp);
        EXPECT_EQ(state.cancelIntegrated, cancelIntegrated);
        ASSERT_EQ(state.set().size(), 1);
        EXPECT_EQ(state.set().value(0, Class9WorkingSet::ContaG).toText(),
                  mode == Class9LoadMode::Derived ? u"6221"_s : u"9111"_s);
    };
    using Mode = Class9LoadMode;
    expect(false, false, Answer::Ok, {kWillDerive}, Mode::Derived, false, false);
    expect(true, false, Answer::Ok, {kErpQuestion, kWillDerive}, Mode::Derived, true, false);
    expect(false, true, Answer::Ok, {kIntegratedQuestion, kWillReload}, Mode::Reloaded, false,
           false);
    expect(true, true, Answer::Ok, {kErpQuestion, kIntegratedQuestion, kWillReload}, Mode::Reloaded,
           true, false);
    expect(false, true, Answer::Cancel, {kIntegratedQuestion, kWillReplace}, Mode::Derived, false,
           true);
    expect(true, true, Answer::Cancel, {kErpQuestion, kIntegratedQuestion, kWillReplace},
           Mode::Derived, true, true);
}

TEST_F(Class9Load, every_missing_field_is_named_in_order_and_nothing_else_happens) {
    setup.input = {};
    EXPECT_EQ(load(), Class9Outcome::FieldsMissing);
    EXPECT_EQ(setup.prompter.texts(),
              QStringList{QStringLiteral("Deve preencher os seguntes campos\r\n Empresa\r\n Ano\r\n"
                                         " Mês\r\n Tipo Documento\r\n Série\r\n Diário\r\n")});
    setup.prompter.clear();
    setup.input.bd = 2;
    setup.input.yearText = u"2024"_s;
    setup.input.month = 3;
    setup.input.tpDoc = u"CL9"_s;
    EXPECT_EQ(load(), Class9Outcome::FieldsMissing);
    EXPECT_EQ(setup.prompter.lastText(),
              u"Deve preencher os seguntes campos\r\n Série\r\n Diário\r\n"_s);
    EXPECT_EQ(settingsRows(), 0);
}

TEST_F(Class9Load, a_year_that_is_not_a_whole_number_is_refused) {
    for (const char* year : {"20x4", "2024.5", "-2024", "99999"}) {
        SCOPED_TRACE(year);
        setup.prompter.clear();
        setup.input.yearText = QString::fromLatin1(year);
        EXPECT_EQ(load(), Class9Outcome::Refused);
        EXPECT_EQ(setup.prompter.texts(),
                  QStringList{
                      u"O ano indicado não é um número válido: \"%1\""_s.arg(QLatin1String(year))});
    }
    setup.input.yearText = u" 2024 "_s;
    EXPECT_EQ(load(), Class9Outcome::Done);
}

TEST_F(Class9Load, settings_are_stored_on_every_load_in_one_row_per_company) {
    EXPECT_EQ(readClass9Settings(setup.consolidated(), 1), Class9Settings{});
    setup.prompter.answer(Answer::Cancel);
    addErpLines();
    EXPECT_EQ(load(), Class9Outcome::Cancelled);  // stored whatever happens next

    Recordset row =
        setup.consolidated().openReadOnly(u"select * from zeb_CNS_DadosIniciais where BD=1"_s);
    ASSERT_EQ(row.rowCount(), 1);
    for (const char* column : {"Setor", "TpDoc", "DataMov", "UltimoMes", "Moeda", "ContaArred"})
        EXPECT_TRUE(row.isNull(QLatin1String(column))) << column;
    EXPECT_EQ(readClass9Settings(setup.consolidated(), 1),
              (Class9Settings{u"CL9"_s, u"1"_s, u"09"_s}));

    setup.input.tpDoc = u"C9"_s;
    setup.input.serie = u"A'2"_s;
    setup.input.diario = u"10"_s;
    setup.prompter.answer(Answer::Ok);
    EXPECT_EQ(load(), Class9Outcome::Done);
    EXPECT_EQ(settingsRows(), 1);
    EXPECT_EQ(readClass9Settings(setup.consolidated(), 1),
              (Class9Settings{u"C9"_s, u"A'2"_s, u"10"_s}));

    // Nulls read as empty text.
    setup.consolidated().execute(
        u"update zeb_CNS_DadosIniciais set TpDocCL9=NULL, DiarioCL9=NULL"_s);
    EXPECT_EQ(readClass9Settings(setup.consolidated(), 1),
              (Class9Settings{QString(), u"A'2"_s, QString()}));
}

TEST_F(Class9Load, cancel_at_the_erp_question_leaves_no_earlier_load_to_confirm) {
    // An earlier load that would replace an integration...
    addIntegratedLines();
    setup.prompter.answer(Answer::Cancel);
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_TRUE(state.cancelIntegrated);
    // ...must not be confirmed without its deletion after the next load was given up.
    addErpLines();
    setup.prompter.clear();
    setup.prompter.answer(Answer::Cancel);
    EXPECT_EQ(load(), Class9Outcome::Cancelled);
    EXPECT_EQ(setup.prompter.texts(), QStringList{kErpQuestion});
    EXPECT_FALSE(state.loaded);
    EXPECT_FALSE(state.cancelErp);
    EXPECT_FALSE(state.cancelIntegrated);
    EXPECT_EQ(state.set().size(), 0) << "no lines left that would not be written";
}

TEST_F(Class9Load, a_database_failure_is_shown_with_the_company_and_leaves_nothing_loaded) {
    ASSERT_EQ(load(), Class9Outcome::Done);
    setup.company().execute(u"ALTER TABLE POC RENAME TO POC_antigo"_s);
    setup.prompter.clear();
    EXPECT_EQ(load(), Class9Outcome::Failed);
    ASSERT_EQ(setup.prompter.texts().size(), 2);
    EXPECT_TRUE(setup.prompter.lastText().startsWith(u"Empresa: Velmor\n\rErro: "_s))
        << setup.prompter.lastText().toStdString();
    EXPECT_TRUE(setup.prompter.lastText().contains(u"POC"_s));
    EXPECT_FALSE(state.loaded);
    EXPECT_EQ(state.set().size(), 0);

    // The screen stays usable: once the table is back, the same load works.
    setup.company().execute(u"ALTER TABLE POC_antigo RENAME TO POC"_s);
    EXPECT_EQ(load(), Class9Outcome::Done);
    EXPECT_TRUE(state.loaded);
}

TEST_F(Class9Load, a_read_only_consolidated_database_is_named_with_the_step_that_failed) {
    setup.consolidated().execute(u"PRAGMA query_only = 1"_s);
    EXPECT_EQ(load(), Class9Outcome::Failed);
    const QString shown = setup.prompter.lastText();
    EXPECT_TRUE(shown.startsWith(
        QStringLiteral("Empresa: Velmor\n\rErro: Gravação dos dados da Empresa na base de dados "
                       "consolidada (") +
        setup.consolidated().settings().describe() + u"): "_s))
        << shown.toStdString();
    EXPECT_FALSE(state.loaded);
}

TEST_F(Class9Load, a_company_database_that_could_not_be_opened_ends_the_load_with_a_message) {
    Class9Environment environment{setup.consolidated(), nullptr, setup.prompter};
    EXPECT_EQ(loadClass9(environment, setup.input, state), Class9Outcome::Failed);
    EXPECT_EQ(setup.prompter.texts(), QStringList{u"Parâmetros de ligação à BD incorretos"_s});
    EXPECT_FALSE(state.loaded);
    EXPECT_EQ(settingsRows(), 1);
    EXPECT_EQ(confirmClass9(environment, setup.input, state).outcome, Class9Outcome::NothingToDo);
}

}  // namespace
}  // namespace agrimor
