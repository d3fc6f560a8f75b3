// A confirmation is written completely or not at all: a failure at any of its write statements,
// deletions included, leaves the company database as it was and is shown with the company's name
// and the error.

#include <gtest/gtest.h>

#include "tests/class9/class9_setup.h"
#include "tests/support/failing_engine.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::class9Line;
using test::EngineKind;
using test::FailingEngine;
using test::generalLine;

class Class9Reliability : public ::testing::TestWithParam<EngineKind> {
protected:
    Class9Reliability() {
        setup.addChart({{u"6221"_s, 2024, u"96221"_s, u"96221"_s},
                        {u"221"_s, 2024, u"9122"_s, u"9122"_s},
                        {u"9111"_s, 2024, {}, {}},
                        {u"9122"_s, 2024, {}, {}},
                        {u"96221"_s, 2024, {}, {}}});
        setup.addLines({
            generalLine(u"FC"_s, 1, 1, u"6221"_s, 1, u"5"_s),
            generalLine(u"FC"_s, 1, 2, u"221"_s, 2, u"5"_s),
            generalLine(u"FT"_s, 2, 1, u"221"_s, 1, u"7"_s, 11),
            generalLine(u"FT"_s, 3, 1, u"6221"_s, 1, u"2"_s, 12),
            generalLine(u"FT"_s, 3, 2, u"6221"_s, 1, u"2"_s, 12),
            generalLine(u"FT"_s, 3, 3, u"221"_s, 2, u"4"_s, 12),
            class9Line(u"ANA"_s, 1, 1, u"9111"_s, 1, u"3"_s),
            class9Line(u"ANA"_s, 1, 2, u"9122"_s, 2, u"3"_s),
            class9Line(u"CL9"_s, 8, 1, u"9111"_s, 1, u"9"_s),
            class9Line(u"CL9"_s, 8, 2, u"9122"_s, 2, u"9"_s),
        });
        engine = std::make_shared<FailingEngine>(setup.company().engine(), 0);
        company.adopt(engine);
    }

    // Loads with the answers given, then confirms; the message shown last is returned.
    QString loadAndConfirm(std::initializer_list<Answer> loadAnswers,
                           const std::function<void(Class9State&)>& correct = {}) {
        setup.prompter.clear();
        for (Answer answer : loadAnswers)
            setup.prompter.answer(answer);
        Class9Environment environment{setup.consolidated(), &company, setup.prompter};
        EXPECT_EQ(loadClass9(environment, setup.input, state), Class9Outcome::Done);
        if (correct)
            correct(state);
        setup.prompter.answer(Answer::Ok);
        outcome = confirmClass9(environment, setup.input, state).outcome;
        return setup.prompter.lastText();
    }

    void everyWriteFailsCleanly(std::initializer_list<Answer> loadAnswers,
                                const std::function<void(Class9State&)>& correct, int expected) {
        const QStringList before = setup.snapshot();
        engine->failAt(0);
        int total = 0;
        {
            // A clean run counts the writes; it is then undone by hand for the faulty ones.
            const QString last = loadAndConfirm(loadAnswers, correct);
            ASSERT_EQ(outcome, Class9Outcome::Done) << last.toStdString();
            total = engine->writes();
            ASSERT_NE(setup.snapshot(), before);
        }
        EXPECT_EQ(total, expected);
        restore(before);

        for (int failAt = 1; failAt <= total; ++failAt) {
            SCOPED_TRACE(failAt);
            engine->failAt(failAt);
            const QString last = loadAndConfirm(loadAnswers, correct);
            EXPECT_EQ(outcome, Class9Outcome::Failed);
            EXPECT_EQ(last, u"Empresa: Velmor\n\rErro: falha simulada na escrita %1"_s.arg(failAt));
            EXPECT_FALSE(state.loaded);
            EXPECT_FALSE(setup.company().inTransaction());
            EXPECT_EQ(setup.snapshot(), before);
        }
    }

    // Puts MovCTB back as `rows` (a snapshot) says, through the unwrapped connection.
    void restore(const QStringList& rows) {
        DataAccess& db = setup.company();
        Transaction transaction(db);
        db.execute(u"DELETE FROM MovCTB"_s);
        const Recordset shape = db.openReadOnly(u"SELECT * FROM MovCTB WHERE 1=0"_s);
        QStringList names;
        for (int c = 0; c < shape.columnCount(); ++c)
            names << shape.columnName(c);
        const QString sql = u"INSERT INTO MovCTB (%1) VALUES (%2)"_s.arg(
            names.join(u", "_s), u"?, "_s.repeated(names.size()).chopped(2));
        for (const QString& row : rows) {
            Params values;
            for (const QString& value : row.split(QLatin1Char('|')))
                values << (value == QLatin1String("<null>") ? Value() : Value(value));
            db.execute(sql, values);
        }
        transaction.commit();
        ASSERT_EQ(setup.snapshot(), rows);
    }

    test::Class9Setup setup{GetParam()};
    std::shared_ptr<FailingEngine> engine;
    DataAccess company;
    Class9State state;
    Class9Outcome outcome = Class9Outcome::NothingToDo;
};

TEST_P(Class9Reliability, a_failure_at_any_write_of_a_new_integration_changes_nothing) {
    // ERP lines and the earlier integration deleted, six lines written, the commit.
    everyWriteFailsCleanly({Answer::Ok, Answer::Cancel}, {}, 2 + 6 + 1);
}

TEST_P(Class9Reliability, a_failure_at_any_write_of_a_corrected_reload_changes_nothing) {
    // ERP lines deleted, two accounts rewritten, the commit.
    everyWriteFailsCleanly(
        {Answer::Ok, Answer::Ok},
        [](Class9State& state) {
            state.set().setValue(0, Class9WorkingSet::Classe9, Value(u"96221"_s));
            state.set().setValue(1, Class9WorkingSet::Classe9, Value(u"9111"_s));
        },
        1 + 2 + 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, Class9Reliability,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
