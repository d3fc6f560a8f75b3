// The confirmation on both engines: grid check, question, deletions, numbering, the rows written
// column by column against their source lines, reload and correct, and codes with "/" and quotes.

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>
#include <functional>

#include "class9/class9_writer.h"
#include "tests/class9/class9_setup.h"
#include "tests/support/qstring_printer.h"
#include "tools/seeder/erp_schema.h"

namespace agrimor {
namespace {

using test::class9Line;
using test::EngineKind;
using test::generalLine;
using W = Class9WorkingSet;

const QString kQuestion = QStringLiteral(
    "Vai dar início à gravação para o período selecionado!\r\n\r\n\r\nPretende continuar?");

// The columns the confirmation decides; every other one is the source line's.
const QSet<QString> kDecided{QStringLiteral("CONTA"),    QStringLiteral("TPDOC"),
                             QStringLiteral("NUMDOC"),   QStringLiteral("TPTERC"),
                             QStringLiteral("SERIE"),    QStringLiteral("DIARIO"),
                             QStringLiteral("NUMDIARI"), QStringLiteral("NUMLINHA"),
                             QStringLiteral("REF"),      QStringLiteral("DBTS")};

struct WrittenLine {
    QString account;
    std::int64_t numDoc;
    std::int64_t numDiario;
    std::int64_t numLinha;
    QString ref;
};

class Class9Confirm : public ::testing::TestWithParam<EngineKind> {
protected:
    Class9Confirm() {
        setup.addChart(
            {{QStringLiteral("6221"), 2024, QStringLiteral("96221"), QStringLiteral("96229")},
             {QStringLiteral("221"), 2024, QStringLiteral("9122"), QStringLiteral("9123")},
             {QStringLiteral("111"), 2024, QStringLiteral("9111"), QStringLiteral("9112")},
             {QStringLiteral("6881"), 2024, {}, {}},
             {QStringLiteral("9111"), 2024, {}, {}},
             {QStringLiteral("9112"), 2024, {}, {}},
             {QStringLiteral("9122"), 2024, {}, {}},
             {QStringLiteral("9123"), 2024, {}, {}},
             {QStringLiteral("96221"), 2024, {}, {}}});
    }

    // Three documents of two, one and three lines, listed out of order.
    void addThreeDocuments() {
        setup.addLines({
            generalLine(QStringLiteral("FT"), 3, 3, QStringLiteral("221"), 2, QStringLiteral("1"),
                        12),
            generalLine(QStringLiteral("FC"), 1, 1, QStringLiteral("6221"), 1,
                        QStringLiteral("10.25"), 5),
            generalLine(QStringLiteral("FT"), 3, 1, QStringLiteral("111"), 1, QStringLiteral("3"),
                        12),
            generalLine(QStringLiteral("FC"), 1, 2, QStringLiteral("221"), 2,
                        QStringLiteral("10.25"), 5),
            generalLine(QStringLiteral("FC"), 2, 1, QStringLiteral("111"), 2, QStringLiteral("4"),
                        7),
            generalLine(QStringLiteral("FT"), 3, 2, QStringLiteral("221"), 2, QStringLiteral("2"),
                        12),
        });
    }

    Class9Outcome load() {
        Class9Environment environment = setup.environment();
        return loadClass9(environment, setup.input, state);
    }

    Class9ConfirmResult confirm(Answer answer = Answer::Ok) {
        setup.prompter.clear();
        setup.prompter.answer(answer);
        Class9Environment environment = setup.environment();
        return confirmClass9(environment, setup.input, state);
    }

    // The written lines of a type and series, checked against their source lines: every column
    // the confirmation does not decide is the source's.
    std::vector<WrittenLine> written(const QString& tpDoc = QStringLiteral("CL9"),
                                     const QString& serie = QStringLiteral("1"),
                                     std::int64_t after = 0) {
        std::vector<WrittenLine> result;
        Recordset lines = setup.lines(tpDoc, serie);
        for (; !lines.eof(); lines.moveNext()) {
            if (lines.field(QStringLiteral("NumDoc")).toInt() <= after ||
                lines.field(QStringLiteral("Ano")).toInt() != 2024)
                continue;
            const QString ref = lines.field(QStringLiteral("Ref")).toText();
            const QStringList key = ref.split(QLatin1Char('/'));
            Recordset source = setup.company().openReadOnly(
                QStringLiteral("SELECT * FROM MovCTB WHERE TpDoc=? AND Ano=? AND Serie=? AND "
                               "NumDoc=? AND NumLinha=?"),
                {key.at(0), key.at(1).toInt(), key.mid(2, key.size() - 4).join(QLatin1Char('/')),
                 key.at(key.size() - 2).toInt(), key.last().toInt()});
            EXPECT_EQ(source.rowCount(), 1) << ref.toStdString();
            if (source.isEmpty())
                continue;
            for (int c = 0; c < lines.columnCount(); ++c) {
                const QString name = lines.columnName(c);
                if (!kDecided.contains(name.toUpper())) {
                    EXPECT_EQ(lines.field(c), source.field(name))
                        << ref.toStdString() << " " << name.toStdString();
                }
            }
            EXPECT_EQ(lines.field(QStringLiteral("TpTerc")).toInt(), 4);
            EXPECT_EQ(lines.field(QStringLiteral("Diario")).toText(), setup.input.diario);
            EXPECT_TRUE(lines.isNull(QStringLiteral("DBTS")));
            result.push_back({lines.field(QStringLiteral("Conta")).toText(),
                              lines.field(QStringLiteral("NumDoc")).toInt(),
                              lines.field(QStringLiteral("NumDiari")).toInt(),
                              lines.field(QStringLiteral("NumLinha")).toInt(), ref});
        }
        return result;
    }

    test::Class9Setup setup{GetParam()};
    Class9State state;
};

// Document, journal and line numbers of written lines, as "doc/journal/line".
QStringList numbering(const std::vector<WrittenLine>& lines) {
    QStringList result;
    for (const WrittenLine& line : lines)
        result
            << QStringLiteral("%1/%2/%3").arg(line.numDoc).arg(line.numDiario).arg(line.numLinha);
    return result;
}

TEST_P(Class9Confirm, numbers_documents_after_the_highest_and_copies_each_source_line) {
    addThreeDocuments();
    // Document 57 of the type and series in another month, journal 09 up to 120 elsewhere.
    auto earlier = class9Line(QStringLiteral("CL9"), 57, 1, QStringLiteral("9111"), 1,
                              QStringLiteral("1"), 10, 2);
    auto journal = generalLine(QStringLiteral("XX"), 1, 1, QStringLiteral("111"), 1,
                               QStringLiteral("1"), 10, 1);
    journal.diario = QStringLiteral("09");
    journal.numDiari = 120;
    setup.addLines({earlier, journal});
    ASSERT_EQ(load(), Class9Outcome::Done);

    const Class9ConfirmResult result = confirm();
    EXPECT_EQ(result.outcome, Class9Outcome::Done);
    EXPECT_EQ(setup.prompter.texts(), QStringList{kQuestion});
    EXPECT_FALSE(state.loaded);
    EXPECT_EQ(result.written.firstDocument, 58);
    EXPECT_EQ(result.written.documents, 3);
    EXPECT_EQ(result.written.lines, 6);

    const std::vector<WrittenLine> lines = written(QStringLiteral("CL9"), QStringLiteral("1"), 57);
    EXPECT_EQ(numbering(lines),
              (QStringList{QStringLiteral("58/121/1"), QStringLiteral("58/121/2"),
                           QStringLiteral("59/122/1"), QStringLiteral("60/123/1"),
                           QStringLiteral("60/123/2"), QStringLiteral("60/123/3")}));
    QStringList accounts, refs;
    for (const WrittenLine& line : lines) {
        accounts << line.account;
        refs << line.ref;
    }
    EXPECT_EQ(accounts, (QStringList{QStringLiteral("96221"), QStringLiteral("9123"),
                                     QStringLiteral("9112"), QStringLiteral("9111"),
                                     QStringLiteral("9123"), QStringLiteral("9123")}));
    EXPECT_EQ(refs,
              (QStringList{QStringLiteral("FC/2024/1/1/1"), QStringLiteral("FC/2024/1/1/2"),
                           QStringLiteral("FC/2024/1/2/1"), QStringLiteral("FT/2024/1/3/1"),
                           QStringLiteral("FT/2024/1/3/2"), QStringLiteral("FT/2024/1/3/3")}));
}

TEST_P(Class9Confirm, a_source_line_gone_since_the_load_writes_nothing_but_keeps_its_numbers) {
    addThreeDocuments();
    setup.input.serie = QStringLiteral("NOVA");  // never used: numbering starts at 1
    ASSERT_EQ(load(), Class9Outcome::Done);
    setup.company().execute(QStringLiteral("DELETE FROM MovCTB WHERE TpDoc='FC' AND NumDoc=2"));

    const Class9ConfirmResult result = confirm();
    EXPECT_EQ(result.outcome, Class9Outcome::Done);
    EXPECT_EQ(result.written.lines, 5);
    EXPECT_EQ(result.written.vanished, 1);
    EXPECT_EQ(
        numbering(written(QStringLiteral("CL9"), QStringLiteral("NOVA"))),
        (QStringList{QStringLiteral("1/1/1"), QStringLiteral("1/1/2"), QStringLiteral("3/3/1"),
                     QStringLiteral("3/3/2"), QStringLiteral("3/3/3")}));
}

TEST_P(Class9Confirm, empty_class9_accounts_stop_the_confirmation_until_filled) {
    addThreeDocuments();
    setup.addLines({generalLine(QStringLiteral("FT"), 3, 4, QStringLiteral("6881"), 1,
                                QStringLiteral("0"), 12)});
    ASSERT_EQ(load(), Class9Outcome::Done);
    setup.prompter.clear();
    Class9Environment environment = setup.environment();
    EXPECT_EQ(confirmClass9(environment, setup.input, state).outcome, Class9Outcome::Refused);
    EXPECT_EQ(setup.prompter.texts(),
              QStringList{QStringLiteral("Existem Contas Classe 9 não preenchidas!")});
    EXPECT_TRUE(state.loaded);
    EXPECT_TRUE(written().empty());

    // A row with no general account is not checked; the unmapped one is filled by the user.
    Class9WorkingSet& set = state.set();
    for (int row = 0; row < set.size(); ++row) {
        if (set.value(row, W::ContaG).toText() == QLatin1String("6881"))
            set.setValue(row, W::Classe9, Value(QStringLiteral("96881")));
    }
    set.setValue(0, W::ContaG, Value());
    set.setValue(0, W::Classe9, Value());
    EXPECT_TRUE(isGridComplete(set));
    EXPECT_EQ(confirm().outcome, Class9Outcome::Done);
    EXPECT_EQ(written().size(), 7u);
}

TEST_P(Class9Confirm, cancel_at_the_question_changes_nothing_and_keeps_the_grid) {
    addThreeDocuments();
    ASSERT_EQ(load(), Class9Outcome::Done);
    const QStringList before = setup.snapshot();
    EXPECT_EQ(confirm(Answer::Cancel).outcome, Class9Outcome::Cancelled);
    EXPECT_EQ(setup.snapshot(), before);
    EXPECT_TRUE(state.loaded);
    EXPECT_EQ(state.set().size(), 6);
    EXPECT_EQ(confirm().outcome, Class9Outcome::Done);
}

TEST_P(Class9Confirm, a_replaced_integration_and_erp_lines_are_deleted_and_numbered_after) {
    addThreeDocuments();
    setup.addLines({
        // The month's earlier integration and the ERP's own class-9 lines: deleted.
        class9Line(QStringLiteral("CL9"), 11, 1, QStringLiteral("9111"), 1, QStringLiteral("1")),
        class9Line(QStringLiteral("CL9"), 12, 1, QStringLiteral("9122"), 2, QStringLiteral("1")),
        class9Line(QStringLiteral("ANA"), 1, 1, QStringLiteral("9111"), 1, QStringLiteral("1")),
        // Kept: another month, another year, a general account under the class-9 type.
        class9Line(QStringLiteral("CL9"), 10, 1, QStringLiteral("9111"), 1, QStringLiteral("1"), 28,
                   2),
        class9Line(QStringLiteral("ANA"), 2, 1, QStringLiteral("9111"), 1, QStringLiteral("1"), 2,
                   4),
        generalLine(QStringLiteral("CL9"), 13, 1, QStringLiteral("111"), 1, QStringLiteral("1"),
                    10),
    });
    auto lastYear =
        class9Line(QStringLiteral("CL9"), 30, 1, QStringLiteral("9111"), 1, QStringLiteral("1"));
    lastYear.ano = 2023;
    lastYear.exercicio = 2023;
    lastYear.dataDoc = QDate(2023, 3, 10);
    setup.addLines({lastYear});
    setup.prompter.answer(Answer::Ok);      // delete the ERP's lines
    setup.prompter.answer(Answer::Cancel);  // do not reload: replace the integration
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_TRUE(state.cancelErp && state.cancelIntegrated);

    EXPECT_EQ(confirm().outcome, Class9Outcome::Done);
    EXPECT_EQ(setup.prompter.texts(),
              QStringList{QStringLiteral(
                  "Vai dar início à gravação para o período selecionado!\r\n\r\n"
                  "Os movimentos gerados pelo ERP serão anulados.\r\n"
                  "Os movimentos já integrados serão anulados.\r\n\r\nPretende continuar?")});
    const Recordset remaining = setup.company().openReadOnly(QStringLiteral(
        "SELECT TpDoc, NumDoc FROM MovCTB WHERE TpDoc IN ('CL9','ANA') AND NOT (TpDoc='CL9' AND "
        "Ano=2024 AND NumDoc > 13) ORDER BY TpDoc, NumDoc"));
    QStringList kept;
    for (Recordset r = remaining; !r.eof(); r.moveNext())
        kept << r.field(0).toText() + r.field(1).toText();
    EXPECT_EQ(kept, (QStringList{QStringLiteral("ANA2"), QStringLiteral("CL910"),
                                 QStringLiteral("CL913"), QStringLiteral("CL930")}));
    // Numbered from what the deletion left: document 13 of the type and series, journal 09 at
    // 10. The general line under the class-9 type is a source like any other.
    const std::vector<WrittenLine> lines = written(QStringLiteral("CL9"), QStringLiteral("1"), 13);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(numbering(lines).first(), QStringLiteral("14/11/1"));
    EXPECT_EQ(numbering(lines).last(), QStringLiteral("17/14/3"));
}

TEST_P(Class9Confirm, reload_and_correct_changes_only_the_corrected_account) {
    addThreeDocuments();
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(confirm().outcome, Class9Outcome::Done);
    const QStringList integrated = setup.snapshot();

    setup.prompter.clear();
    setup.prompter.answer(Answer::Ok);  // reload
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(state.mode, Class9LoadMode::Reloaded);
    ASSERT_EQ(state.set().size(), 6);
    EXPECT_EQ(state.set().value(2, W::Doc).toText(), QStringLiteral("CL9/2024/1/2/1"));
    state.set().setValue(2, W::Classe9, Value(QStringLiteral("9122")));

    const Class9ConfirmResult result = confirm();
    EXPECT_EQ(result.outcome, Class9Outcome::Done);
    EXPECT_EQ(result.updated.changed, 1);
    EXPECT_EQ(result.updated.unchanged, 5);
    const QStringList after = setup.snapshot();
    ASSERT_EQ(after.size(), integrated.size());
    int differences = 0;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (after[i] == integrated[i])
            continue;
        ++differences;
        QString expected = integrated[i];
        expected.replace(QStringLiteral("|9112|"), QStringLiteral("|9122|"));
        EXPECT_EQ(after[i], expected);
    }
    EXPECT_EQ(differences, 1);
}

TEST_P(Class9Confirm, quotes_and_slashes_in_codes_are_data_on_the_way_there_and_back) {
    setup.addLines({generalLine(QStringLiteral("F'T"), 40000, 1, QStringLiteral("6221"), 1,
                                QStringLiteral("5"), 12),
                    generalLine(QStringLiteral("F'T"), 40000, 2, QStringLiteral("221"), 2,
                                QStringLiteral("5"), 12)});
    setup.company().execute(QStringLiteral("UPDATE MovCTB SET Serie='A/B''1'"));
    setup.input.tpDoc = QStringLiteral("C'9");
    setup.input.serie = QStringLiteral("S/1'");
    setup.input.diario = QStringLiteral("9'");
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(confirm().outcome, Class9Outcome::Done);
    std::vector<WrittenLine> lines = written(setup.input.tpDoc, setup.input.serie);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].ref, QStringLiteral("F'T/2024/A/B'1/40000/2"));
    EXPECT_EQ(numbering(lines), (QStringList{QStringLiteral("1/1/1"), QStringLiteral("1/1/2")}));

    // Reloaded and corrected: the line is found by its hidden columns, not by cutting "Doc.".
    setup.prompter.clear();
    setup.prompter.answer(Answer::Ok);
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(state.set().size(), 2);
    EXPECT_EQ(state.set().value(1, W::Doc).toText(), QStringLiteral("C'9/2024/S/1'/1/2"));
    state.set().setValue(1, W::Classe9, Value(QStringLiteral("96221")));
    const Class9ConfirmResult result = confirm();
    EXPECT_EQ(result.updated.changed, 1);
    EXPECT_EQ(written(setup.input.tpDoc, setup.input.serie)[1].account, QStringLiteral("96221"));
}

TEST_P(Class9Confirm, a_load_for_another_company_or_period_is_not_written) {
    addThreeDocuments();
    ASSERT_EQ(load(), Class9Outcome::Done);
    for (const auto& change : std::vector<std::function<void(Class9Input&)>>{
             [](Class9Input& in) { in.month = 4; }, [](Class9Input& in) { in.bd = 2; },
             [](Class9Input& in) { in.yearText = QStringLiteral("2025"); },
             [](Class9Input& in) { in.tpDoc = QStringLiteral("CL8"); }}) {
        const Class9Input loaded = setup.input;
        change(setup.input);
        setup.prompter.clear();
        Class9Environment environment = setup.environment();
        EXPECT_EQ(confirmClass9(environment, setup.input, state).outcome, Class9Outcome::Refused);
        EXPECT_TRUE(setup.prompter.lastText().startsWith(
            QStringLiteral("A informação carregada não corresponde")));
        setup.input = loaded;
    }
    EXPECT_TRUE(written().empty());
    // Series and journal may still change between load and confirmation.
    setup.input.serie = QStringLiteral("2");
    EXPECT_EQ(confirm().outcome, Class9Outcome::Done);
    EXPECT_EQ(written(QStringLiteral("CL9"), QStringLiteral("2")).size(), 6u);
}

TEST_P(Class9Confirm, source_lines_are_read_by_ranges_of_documents_and_all_found) {
    std::vector<demo::Movement> lines;
    for (int doc = 1; doc <= 40; ++doc) {
        for (int line = 1; line <= 1 + doc % 3; ++line) {
            lines.push_back(generalLine(doc % 4 ? QStringLiteral("FT") : QStringLiteral("fc"), doc,
                                        line, QStringLiteral("6221"), 1, QStringLiteral("1"),
                                        1 + doc % 20));
            lines.back().serie = doc % 5 ? QStringLiteral("1") : QStringLiteral("B ");
        }
    }
    setup.addLines(lines);
    ASSERT_EQ(load(), Class9Outcome::Done);
    // A line whose date left the month since the load is still found, by its key.
    setup.company().execute(
        QStringLiteral("UPDATE MovCTB SET DataDoc='2024-04-01 00:00:00' WHERE NumDoc=7"));
    state.set().sortForWriting();
    Class9Target target{2024, 3, QStringLiteral("CL9"), QStringLiteral("1"), QStringLiteral("09")};
    target.sliceRows = 7;
    int lastValue = 0;
    int maximum = 0;
    {
        Transaction transaction(setup.company());
        const Class9WriteSummary summary =
            writeClass9(setup.company(), state.set(), target, [&](int value, int max) {
                lastValue = value;
                maximum = max;
            });
        transaction.commit();
        EXPECT_EQ(summary.lines, static_cast<int>(lines.size()));
        EXPECT_EQ(summary.documents, 40);
    }
    EXPECT_EQ(maximum, static_cast<int>(lines.size()) + 10);
    EXPECT_EQ(lastValue, static_cast<int>(lines.size()));
    const std::vector<WrittenLine> result = written();
    ASSERT_EQ(result.size(), lines.size());
    QSet<QString> refs;
    for (const WrittenLine& line : result)
        refs.insert(line.ref);
    EXPECT_EQ(refs.size(), static_cast<qsizetype>(lines.size()));
}

TEST_P(Class9Confirm, on_a_database_comparing_codes_exactly_every_source_line_is_found) {
    // MovCTB without the case-insensitive collation, as a server with a case-sensitive one
    // keeps it: "FT" and "ft" are two documents, both to be written.
    setup.company().execute(QStringLiteral("DROP TABLE MovCTB"));
    QString create = erpSchemaStatements().first();
    setup.company().execute(create.remove(QStringLiteral(" COLLATE ci_rtrim")));
    std::vector<demo::Movement> lines;
    for (const QString& type : {QStringLiteral("FT"), QStringLiteral("ft")}) {
        const int day = type == QLatin1String("FT") ? 12 : 13;
        lines.push_back(
            generalLine(type, 3, 1, QStringLiteral("111"), 1, QStringLiteral("2"), day));
        lines.push_back(
            generalLine(type, 3, 2, QStringLiteral("221"), 2, QStringLiteral("2"), day));
    }
    setup.addLines(lines);
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(state.set().size(), 4);

    const Class9ConfirmResult result = confirm();
    ASSERT_EQ(result.outcome, Class9Outcome::Done);
    EXPECT_EQ(result.written.lines, 4);
    EXPECT_EQ(result.written.vanished, 0);
    const std::vector<WrittenLine> written = this->written();
    EXPECT_EQ(numbering(written), (QStringList{QStringLiteral("1/1/1"), QStringLiteral("1/1/2"),
                                               QStringLiteral("2/2/1"), QStringLiteral("2/2/2")}));
    QStringList refs;
    for (const WrittenLine& line : written)
        refs << line.ref;
    EXPECT_EQ(refs,
              (QStringList{QStringLiteral("FT/2024/1/3/1"), QStringLiteral("FT/2024/1/3/2"),
                           QStringLiteral("ft/2024/1/3/1"), QStringLiteral("ft/2024/1/3/2")}));
}

INSTANTIATE_TEST_SUITE_P(Engines, Class9Confirm,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
