// The class-9 load read in pieces of MovCTB's key gives the rows, in the same order, that one
// statement ordered by date, type, series, number and line gives, on both engines.

#include <gtest/gtest.h>

#include "class9/derivation.h"
#include "class9/working_set.h"
#include "tests/class9/class9_setup.h"

namespace agrimor {
namespace {

using test::EngineKind;
using W = Class9WorkingSet;

// A month of documents whose numbers do not follow their dates, in two series of a type whose
// case differs line to line, with gaps in the numbers and one document longer than a piece.
std::vector<demo::Movement> scatteredLines(bool class9) {
    std::vector<demo::Movement> lines;
    const auto line = class9 ? test::class9Line : test::generalLine;
    for (int n = 1; n <= 60; ++n) {
        const int numDoc = n < 40 ? n : 1000 + n * 37;
        const int size = n == 17 ? 9 : 1 + n % 3;
        for (int l = 1; l <= size; ++l) {
            demo::Movement m =
                line(n % 4 == 0 ? QStringLiteral("FC") : QStringLiteral("FT"), numDoc, l,
                     class9 ? QStringLiteral("9111") : QStringLiteral("111"), 1 + l % 2,
                     QStringLiteral("1.5"), 1 + (n * 7) % 28, 3);
            if (n % 5 == 0)
                m.serie = QStringLiteral("B");
            lines.push_back(m);
        }
    }
    return lines;
}

// The keys of the set's rows, in its order.
QStringList keys(const Class9WorkingSet& set) {
    QStringList result;
    for (int row = 0; row < set.size(); ++row)
        result << set.value(row, W::Doc).toText();
    return result;
}

// The same keys from one ordered statement.
QStringList orderedKeys(DataAccess& company, const QString& where) {
    QStringList result;
    Recordset rows = company.openReadOnly(
        QStringLiteral("SELECT m.TpDoc, m.Ano, m.Serie, m.NumDoc, m.NumLinha FROM MovCTB AS m"
                       " INNER JOIN POC AS p ON p.Conta = m.Conta AND p.Exercicio = m.Exercicio ") +
            where + QStringLiteral(" ORDER BY ") +
            company.dialect().dateOrder(QStringLiteral("m.DataDoc")) +
            QStringLiteral(", m.TpDoc, m.Serie, m.NumDoc, m.NumLinha"),
        {});
    for (; !rows.eof(); rows.moveNext())
        result << sourceKey(rows.field(0).toText(), rows.field(1).toInt(), rows.field(2).toText(),
                            rows.field(3).toInt(), rows.field(4).toInt());
    return result;
}

class Class9LoadPieces : public ::testing::TestWithParam<EngineKind> {};

TEST_P(Class9LoadPieces, pieces_of_any_size_give_the_rows_of_one_ordered_statement) {
    test::Class9Setup setup(GetParam());
    setup.addChart({{QStringLiteral("111"), 2024, QStringLiteral("9111"), QStringLiteral("9112")},
                    {QStringLiteral("9111"), 2024, {}, {}}});
    std::vector<demo::Movement> lines = scatteredLines(false);
    for (const demo::Movement& m : scatteredLines(true)) {
        demo::Movement reloaded = m;
        reloaded.tpDoc = QStringLiteral("CL9");
        lines.push_back(reloaded);
    }
    setup.addLines(lines);

    const QStringList derived =
        orderedKeys(setup.company(),
                    QStringLiteral("WHERE m.Ano = 2024 AND month(m.DataDoc) = 3 AND m.Nat <= 2 "
                                   "AND m.Statac = 2 AND m.Conta NOT LIKE '9%'"));
    const QStringList reloaded = orderedKeys(
        setup.company(), QStringLiteral("WHERE m.Ano = 2024 AND month(m.DataDoc) = 3 AND "
                                        "m.TpDoc = 'CL9' AND m.Conta LIKE '9%'"));
    ASSERT_GT(derived.size(), 100);
    ASSERT_EQ(reloaded.size(), derived.size());
    for (const int piece : {1, 4, 25, kClass9LoadPieceLines}) {
        SCOPED_TRACE(piece);
        Class9WorkingSet set;
        EXPECT_EQ(deriveClass9Lines(setup.company(), setup.prompter, 2024, 3, set, piece),
                  derived.size());
        EXPECT_EQ(keys(set), derived);
        EXPECT_EQ(reloadClass9Lines(setup.company(), setup.prompter, 2024, 3, QStringLiteral("CL9"),
                                    set, piece),
                  reloaded.size());
        EXPECT_EQ(keys(set), reloaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, Class9LoadPieces,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
