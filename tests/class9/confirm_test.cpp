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

using namespace Qt::StringLiterals;
namespace {

using test::class9Line;
using test::EngineKind;
using test::generalLine;
using W = Class9WorkingSet;

const QString kQuestion = QStringLiteral(
    "Vai dar início à gravação para o período selecionado!\r\n\r\n\r\nPretende continuar?");

// The columns the confirmation decides; every other one is the source line's.
const QSet<QString> kDecided{u"CONTA"_s,  u"TPDOC"_s,    u"NUMDOC"_s,   u"TPTERC"_s, u"SERIE"_s,
                             u"DIARIO"_s, u"NUMDIARI"_s, u"NUMLINHA"_s, u"REF"_s,    u"DBTS"_s};

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
        setup.addChart({{u"6221"_s, 2024, u"96221"_s, u"96229"_s},
                        {u"221"_s, 2024, u"9122"_s, u"9123"_s},
                        {u"111"_s, 2024, u"9111"_s, u"9112"_s},
                        {u"6881"_s, 2024, {}, {}},
                        {u"9111"_s, 2024, {}, {}},
                        {u"9112"_s, 2024, {}, {}},
                        {u"9122"_s, 2024, {}, {}},
                        {u"9123"_s, 2024, {}, {}},
                        {u"96221"_s, 2024, {}, {}}});
    }

    // Three documents of two, one and three lines, listed out of order.
    void addThreeDocuments() {
        setup.addLines({
            generalLine(u"FT"_s, 3, 3, u"221"_s, 2, u"1"_s, 12),
            generalLine(u"FC"_s, 1, 1, u"6221"_s, 1, u"10.25"_s, 5),
            generalLine(u"FT"_s, 3, 1, u"111"_s, 1, u"3"_s, 12),
            generalLine(u"FC"_s, 1, 2, u"221"_s, 2, u"10.25"_s, 5),
            generalLine(u"FC"_s, 2, 1, u"111"_s, 2, u"4"_s, 7),
            generalLine(u"FT"_s, 3, 2, u"221"_s, 2, u"2"_s, 12),
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
    std::vector<WrittenLine> written(const QString& tpDoc = u"CL9"_s, const QString& serie = u"1"_s,
                                     std::int64_t after = 0) {
        std::vector<WrittenLine> result;
        Recordset lines = setup.lines(tpDoc, serie);
        for (; !lines.eof(); lines.moveNext()) {
            if (lines.field(u"NumDoc"_s).toInt() <= after || lines.field(u"Ano"_s).toInt() != 2024)
                continue;
            const QString ref = lines.field(u"Ref"_s).toText();
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
            EXPECT_EQ(lines.field(u"TpTerc"_s).toInt(), 4);
            EXPECT_EQ(lines.field(u"Diario"_s).toText(), setup.input.diario);
            EXPECT_TRUE(lines.isNull(u"DBTS"_s));
            result.push_back({lines.field(u"Conta"_s).toText(), lines.field(u"NumDoc"_s).toInt(),
                              lines.field(u"NumDiari"_s).toInt(),
                              lines.field(u"NumLinha"_s).toInt(), ref});
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
        result << u"%1/%2/%3"_s.arg(line.numDoc).arg(line.numDiario).arg(line.numLinha);
    return result;
}

TEST_P(Class9Confirm, numbers_documents_after_the_highest_and_copies_each_source_line) {
    addThreeDocuments();
    // Document 57 of the type and series in another month, journal 09 up to 120 elsewhere.
    auto earlier = class9Line(u"CL9"_s, 57, 1, u"9111"_s, 1, u"1"_s, 10, 2);
    auto journal = generalLine(u"XX"_s, 1, 1, u"111"_s, 1, u"1"_s, 10, 1);
    journal.diario = u"09"_s;
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

    const std::vector<WrittenLine> lines = written(u"CL9"_s, u"1"_s, 57);
    EXPECT_EQ(numbering(lines), (QStringList{u"58/121/1"_s, u"58/121/2"_s, u"59/122/1"_s,
                                             u"60/123/1"_s, u"60/123/2"_s, u"60/123/3"_s}));
    QStringList accounts, refs;
    for (const WrittenLine& line : lines) {
        accounts << line.account;
        refs << line.ref;
    }
    EXPECT_EQ(accounts,
              (QStringList{u"96221"_s, u"9123"_s, u"9112"_s, u"9111"_s, u"9123"_s, u"9123"_s}));
    EXPECT_EQ(refs, (QStringList{u"FC/2024/1/1/1"_s, u"FC/2024/1/1/2"_s, u"FC/2024/1/2/1"_s,
                                 u"FT/2024/1/3/1"_s, u"FT/2024/1/3/2"_s, u"FT/2024/1/3/3"_s}));
}

TEST_P(Class9Confirm, a_source_line_gone_since_the_load_writes_nothing_but_keeps_its_numbers) {
    addThreeDocuments();
    setup.input.serie = u"NOVA"_s;  // never used: numbering starts at 1
    ASSERT_EQ(load(), Class9Outcome::Done);
    setup.company().execute(u"DELETE FROM MovCTB WHERE TpDoc='FC' AND NumDoc=2"_s);

    const Class9ConfirmResult result = confirm();
    EXPECT_EQ(result.outcome, Class9Outcome::Done);
    EXPECT_EQ(result.written.lines, 5);
    EXPECT_EQ(result.written.vanished, 1);
    EXPECT_EQ(numbering(written(u"CL9"_s, u"NOVA"_s)),
              (QStringList{u"1/1/1"_s, u"1/1/2"_s, u"3/3/1"_s, u"3/3/2"_s, u"3/3/3"_s}));
}

TEST_P(Class9Confirm, empty_class9_accounts_stop_the_confirmation_until_filled) {
    addThreeDocuments();
    setup.addLines({generalLine(u"FT"_s, 3, 4, u"6881"_s, 1, u"0"_s, 12)});
    ASSERT_EQ(load(), Class9Outcome::Done);
    setup.prompter.clear();
    Class9Environment environment = setup.environment();
    EXPECT_EQ(confirmClass9(environment, setup.input, state).outcome, Class9Outcome::Refused);
    EXPECT_EQ(setup.prompter.texts(), QStringList{u"Existem Contas Classe 9 não preenchidas!"_s});
    EXPECT_TRUE(state.loaded);
    EXPECT_TRUE(written().empty());

    // A row with no general account is not checked; the unmapped one is filled by the user.
    Class9WorkingSet& set = state.set();
    for (int row = 0; row < set.size(); ++row) {
        if (set.value(row, W::ContaG).toText() == QLatin1String("6881"))
            set.setValue(row, W::Classe9, Value(u"96881"_s));
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
        class9Line(u"CL9"_s, 11, 1, u"9111"_s, 1, u"1"_s),
        class9Line(u"CL9"_s, 12, 1, u"9122"_s, 2, u"1"_s),
        class9Line(u"ANA"_s, 1, 1, u"9111"_s, 1, u"1"_s),
        // Kept: another month, another year, a general account under the class-9 type.
        class9Line(u"CL9"_s, 10, 1, u"9111"_s, 1, u"1"_s, 28, 2),
        class9Line(u"ANA"_s, 2, 1, u"9111"_s, 1, u"1"_s, 2, 4),
        generalLine(u"CL9"_s, 13, 1, u"111"_s, 1, u"1"_s, 10),
    });
    auto lastYear = class9Line(u"CL9"_s, 30, 1, u"9111"_s, 1, u"1"_s);
    lastYear.ano = 2023;
    lastYear.exercicio = 2023;
    lastYear.dataDoc = QDate(2023, 3, 10);
    setup.addLines({lastYear});
    // Delete the ERP's lines, do not reload: replace the integration.
    setup.prompter.answer({Answer::Ok, Answer::Cancel});
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
    EXPECT_EQ(kept, (QStringList{u"ANA2"_s, u"CL910"_s, u"CL913"_s, u"CL930"_s}));
    // Numbered from what the deletion left: document 13 of the type and series, journal 09 at
    // 10. The general line under the class-9 type is a source like any other.
    const std::vector<WrittenLine> lines = written(u"CL9"_s, u"1"_s, 13);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(numbering(lines).first(), u"14/11/1"_s);
    EXPECT_EQ(numbering(lines).last(), u"17/14/3"_s);
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
    EXPECT_EQ(state.set().value(2, W::Doc).toText(), u"CL9/2024/1/2/1"_s);
    state.set().setValue(2, W::Classe9, Value(u"9122"_s));

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
        expected.replace(u"|9112|"_s, u"|9122|"_s);
        EXPECT_EQ(after[i], expected);
    }
    EXPECT_EQ(differences, 1);
}

TEST_P(Class9Confirm, quotes_and_slashes_in_codes_are_data_on_the_way_there_and_back) {
    setup.addLines({generalLine(u"F'T"_s, 40000, 1, u"6221"_s, 1, u"5"_s, 12),
                    generalLine(u"F'T"_s, 40000, 2, u"221"_s, 2, u"5"_s, 12)});
    setup.company().execute(u"UPDATE MovCTB SET Serie='A/B''1'"_s);
    setup.input.tpDoc = u"C'9"_s;
    setup.input.serie = u"S/1'"_s;
    setup.input.diario = u"9'"_s;
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(confirm().outcome, Class9Outcome::Done);
    std::vector<WrittenLine> lines = written(setup.input.tpDoc, setup.input.serie);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].ref, u"F'T/2024/A/B'1/40000/2"_s);
    EXPECT_EQ(numbering(lines), (QStringList{u"1/1/1"_s, u"1/1/2"_s}));

    // Reloaded and corrected: the line is found by its hidden columns, not by cutting "Doc.".
    setup.prompter.clear();
    setup.prompter.answer(Answer::Ok);
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(state.set().size(), 2);
    EXPECT_EQ(state.set().value(1, W::Doc).toText(), u"C'9/2024/S/1'/1/2"_s);
    state.set().setValue(1, W::Classe9, Value(u"96221"_s));
    const Class9ConfirmResult result = confirm();
    EXPECT_EQ(result.updated.changed, 1);
    EXPECT_EQ(written(setup.input.tpDoc, setup.input.serie)[1].account, u"96221"_s);
}

TEST_P(Class9Confirm, a_load_for_another_company_or_period_is_not_written) {
    addThreeDocuments();
    ASSERT_EQ(load(), Class9Outcome::Done);
    for (const auto& change : std::vector<std::function<void(Class9Input&)>>{
             [](Class9Input& in) { in.month = 4; }, [](Class9Input& in) { in.bd = 2; },
             [](Class9Input& in) { in.yearText = u"2025"_s; },
             [](Class9Input& in) { in.tpDoc = u"CL8"_s; }}) {
        const Class9Input loaded = setup.input;
        change(setup.input);
        setup.prompter.clear();
        Class9Environment environment = setup.environment();
        EXPECT_EQ(confirmClass9(environment, setup.input, state).outcome, Class9Outcome::Refused);
        EXPECT_TRUE(
            setup.prompter.lastText().startsWith(u"A informação carregada não corresponde"_s));
        setup.input = loaded;
    }
    EXPECT_TRUE(written().empty());
    // Series and journal may still change between load and confirmation.
    setup.input.serie = u"2"_s;
    EXPECT_EQ(confirm().outcome, Class9Outcome::Done);
    EXPECT_EQ(written(u"CL9"_s, u"2"_s).size(), 6u);
}

TEST_P(Class9Confirm, source_lines_are_read_by_ranges_of_documents_and_all_found) {
    std::vector<demo::Movement> lines;
    for (int doc = 1; doc <= 40; ++doc) {
        for (int line = 1; line <= 1 + doc % 3; ++line) {
            lines.push_back(generalLine(doc % 4 ? u"FT"_s : u"fc"_s, doc, line, u"6221"_s, 1,
                                        u"1"_s, 1 + doc % 20));
            lines.back().serie = doc % 5 ? u"1"_s : u"B "_s;
        }
    }
    setup.addLines(lines);
    ASSERT_EQ(load(), Class9Outcome::Done);
    // A line whose date left the month since the load is still found, by its key.
    setup.company().execute(u"UPDATE MovCTB SET DataDoc='2024-04-01 00:00:00' WHERE NumDoc=7"_s);
    state.set().sortForWriting();
    Class9Target target{2024, 3, u"CL9"_s, u"1"_s, u"09"_s};
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
    setup.company().execute(u"DROP TABLE MovCTB"_s);
    QString create = erpSchemaStatements().first();
    setup.company().execute(create.remove(u" COLLATE ci_rtrim"_s));
    std::vector<demo::Movement> lines;
    for (const QString& type : {u"FT"_s, u"ft"_s}) {
        const int day = type == QLatin1String("FT") ? 12 : 13;
        lines.push_back(generalLine(type, 3, 1, u"111"_s, 1, u"2"_s, day));
        lines.push_back(generalLine(type, 3, 2, u"221"_s, 2, u"2"_s, day));
    }
    setup.addLines(lines);
    ASSERT_EQ(load(), Class9Outcome::Done);
    ASSERT_EQ(state.set().size(), 4);

    const Class9ConfirmResult result = confirm();
    ASSERT_EQ(result.outcome, Class9Outcome::Done);
    EXPECT_EQ(result.written.lines, 4);
    EXPECT_EQ(result.written.vanished, 0);
    const std::vector<WrittenLine> written = this->written();
    EXPECT_EQ(numbering(written), (QStringList{u"1/1/1"_s, u"1/1/2"_s, u"2/2/1"_s, u"2/2/2"_s}));
    QStringList refs;
    for (const WrittenLine& line : written)
        refs << line.ref;
    EXPECT_EQ(refs, (QStringList{u"FT/2024/1/3/1"_s, u"FT/2024/1/3/2"_s, u"ft/2024/1/3/1"_s,
                                 u"ft/2024/1/3/2"_s}));
}

INSTANTIATE_TEST_SUITE_P(Engines, Class9Confirm,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
