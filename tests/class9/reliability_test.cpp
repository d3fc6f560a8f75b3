// A confirmation is written completely or not at all: a failure at any of its write statements,
// deletions included, leaves the company database as it was and is shown with the company's name
// and the error.

#include <gtest/gtest.h>

#include "tests/class9/class9_setup.h"
#include "tests/support/failing_engine.h"

namespace agrimor {
namespace {

using test::class9Line;
using test::EngineKind;
using test::FailingEngine;
using test::generalLine;

class Class9Reliability : public ::testing::TestWithParam<EngineKind> {
protected:
    Class9Reliability() {
        setup.addChart(
            {{QStringLiteral("6221"), 2024, QStringLiteral("96221"), QStringLiteral("96221")},
             {QStringLiteral("221"), 2024, QStringLiteral("9122"), QStringLiteral("9122")},
             {QStringLiteral("9111"), 2024, {}, {}},
             {QStringLiteral("9122"), 2024, {}, {}},
             {QStringLiteral("96221"), 2024, {}, {}}});
        setup.addLines({
            generalLine(QStringLiteral("FC"), 1, 1, QStringLiteral("6221"), 1, QStringLiteral("5")),
            generalLine(QStringLiteral("FC"), 1, 2, QStringLiteral("221"), 2, QStringLiteral("5")),
            generalLine(QStringLiteral("FT"), 2, 1, QStringLiteral("221"), 1, QStringLiteral("7"),
                        11),
            generalLine(QStringLiteral("FT"), 3, 1, QStringLiteral("6221"), 1, QStringLiteral("2"),
                        12),
            generalLine(QStringLiteral("FT"), 3, 2, QStringLiteral("6221"), 1, QStringLiteral("2"),
                        12),
            generalLine(QStringLiteral("FT"), 3, 3, QStringLiteral("221"), 2, QStringLiteral("4"),
                        12),
            class9Line(QStringLiteral("ANA"), 1, 1, QStringLiteral("9111"), 1, QStringLiteral("3")),
            class9Line(QStringLiteral("ANA"), 1, 2, QStringLiteral("9122"), 2, QStringLiteral("3")),
            class9Line(QStringLiteral("CL9"), 8, 1, QStringLiteral("9111"), 1, QStringLiteral("9")),
            class9Line(QStringLiteral("CL9"), 8, 2, QStringLiteral("9122"), 2, QStringLiteral("9")),
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
            EXPECT_EQ(last, QStringLiteral("Empresa: Velmor\n\rErro: falha simulada na escrita %1")
                                .arg(failAt));
            EXPECT_FALSE(state.loaded);
            EXPECT_FALSE(setup.company().inTransaction());
            EXPECT_EQ(setup.snapshot(), before);
        }
    }

    // Puts MovCTB back as `rows` (a snapshot) says, through the unwrapped connection.
    void restore(const QStringList& rows) {
        DataAccess& db = setup.company();
        Transaction transaction(db);
        db.execute(QStringLiteral("DELETE FROM MovCTB"));
        const Recordset shape = db.openReadOnly(QStringLiteral("SELECT * FROM MovCTB WHERE 1=0"));
        QStringList names;
        for (int c = 0; c < shape.columnCount(); ++c)
            names << shape.columnName(c);
        const QString sql = QStringLiteral("INSERT INTO MovCTB (%1) VALUES (%2)")
                                .arg(names.join(QStringLiteral(", ")),
                                     QStringLiteral("?, ").repeated(names.size()).chopped(2));
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
            state.set().setValue(0, Class9WorkingSet::Classe9, Value(QStringLiteral("96221")));
            state.set().setValue(1, Class9WorkingSet::Classe9, Value(QStringLiteral("9111")));
        },
        1 + 2 + 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, Class9Reliability,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
