// Writing an import: the numerators (advanced per document whatever the case of the codes, a
// missing one, two imports at once) and a failing row, on both engines. The written rows column by
// column are a golden case (tests/golden/import).

#include "movimport/import_writer.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

#include "movimport/import_error.h"
#include "tests/movimport/import_setup.h"
#include "tests/support/qstring_printer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using L = ImportLinesTable;
using test::addLine;
using test::EngineKind;
using test::text;

const QDateTime kNow(QDate(2025, 1, 15), QTime(9, 8, 7, 123));

class WriterTest : public test::ImportTest {
protected:
    ImportWriteSummary write(DataAccess& db, const L& table, const ImportProgress& progress = {}) {
        Transaction transaction(db);
        ImportWriteSummary summary = writeImportedMovements(db, table, kNow, progress);
        transaction.commit();
        return summary;
    }
    ImportWriteSummary write() { return write(company.db(), lines); }

    QString failure() {
        try {
            write();
        } catch (const ImportError& error) {
            return error.message();
        }
        return {};
    }
};

TEST_P(WriterTest, documents_take_their_numbers_in_order_whatever_case_their_codes_are_in) {
    // The database finds one numerator row for "fc" and "FC", "ja" and "JA".
    company.db().execute(QStringLiteral(
        "INSERT INTO NumDiar (Ano, Diario, Mes, Numerado) VALUES (2024, 'JA', 0, 10)"));
    const char* spellings[][2] = {{"fc", "JA"}, {"FC", "ja"}, {"fc", "JA"}, {"Fc", "ja"}};
    for (const auto& [type, journal] : spellings) {
        const QString key = QString::number(lines.size());
        addLine(lines, key, u"6221"_s, 1, u"1"_s,
                {{L::TpDoc, text(type)}, {L::Diario, text(journal)}});
    }
    const ImportWriteSummary summary = write();
    ASSERT_EQ(summary.documents.size(), 4u);
    for (int d = 0; d < 4; ++d) {
        EXPECT_EQ(summary.documents[static_cast<std::size_t>(d)].numbers.document, 42 + d);
        EXPECT_EQ(summary.documents[static_cast<std::size_t>(d)].numbers.journal, 11 + d);
    }
    EXPECT_EQ(company.documentNumerator(u"FC"_s), 45);
    EXPECT_EQ(company.journalNumerator(u"JA"_s), 14);
}

TEST_P(WriterTest, a_numerator_missing_at_writing_stops_it_with_nothing_written) {
    addLine(lines, u"A"_s, u"6221"_s, 1, u"1"_s);
    addLine(lines, u"B"_s, u"6221"_s, 1, u"1"_s, {{L::Serie, text("7")}});
    EXPECT_EQ(failure(), QString::fromUtf8("5000 - Não existe numerador do tipo documento FC, "
                                           "série 7, no ano 2024 em GravaMovimentos"));
    lines.setValue(1, L::Serie, u"1"_s);
    lines.setValue(1, L::Diario, u"09"_s);
    EXPECT_EQ(failure(), QString::fromUtf8("5000 - Não existe numerador do diário 09 no ano 2024 "
                                           "em GravaMovimentos"));
    EXPECT_EQ(company.movementCount(), 0);
    EXPECT_EQ(company.documentNumerator(u"FC"_s), 41);
    EXPECT_EQ(company.journalNumerator(u"01"_s), 7);
}

TEST_P(WriterTest, a_failing_row_names_the_error_and_a_column_the_table_lacks_is_left_out) {
    company.db().execute(u"ALTER TABLE MovCTB DROP COLUMN Valor_Base"_s);
    addLine(lines, u"A"_s, u"6221"_s, 1, u"1"_s, {{L::ValorBase, Value(Money::fromWhole(5))}});
    write();
    EXPECT_EQ(company.movementCount(), 1);

    // The same document again: its number is new, so only a date that is none can fail it.
    lines.setValue(0, L::DataR, u"30-02-2024"_s);
    EXPECT_EQ(failure(), QString::fromUtf8("5000 - DataR '30-02-2024' não é uma data (linha 2 da "
                                           "folha) em GravaMovimentos"));
    EXPECT_EQ(company.movementCount(), 1);
    EXPECT_EQ(company.documentNumerator(u"FC"_s), 42);
}

TEST_P(WriterTest, two_imports_at_the_same_moment_take_distinct_numbers) {
    constexpr int kDocuments = 40;
    L first, second;
    for (int d = 0; d < kDocuments; ++d) {
        for (L* table : {&first, &second}) {
            const QString key = u"%1-%2"_s.arg(table == &first ? 1 : 2).arg(d);
            addLine(*table, key, u"6221"_s, 1, u"1"_s);
            addLine(*table, key, u"221"_s, 2, u"1"_s);
        }
    }
    auto one = company.connectAgain();
    auto two = company.connectAgain();
    std::latch start(2);
    QString errors[2];
    // Each import lingers in its transaction after its last row, so the two overlap whichever
    // starts first.
    const ImportProgress linger = [](int done, int total) {
        if (done == total)
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
    };
    const auto import = [&](DataAccess& db, const L& table, QString& error) {
        start.arrive_and_wait();
        try {
            write(db, table, linger);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
    };
    std::thread a(import, std::ref(*one), std::cref(first), std::ref(errors[0]));
    std::thread b(import, std::ref(*two), std::cref(second), std::ref(errors[1]));
    a.join();
    b.join();
    ASSERT_TRUE(errors[0].isEmpty()) << errors[0].toStdString();
    ASSERT_TRUE(errors[1].isEmpty()) << errors[1].toStdString();

    const Recordset numbers = company.db().openReadOnly(QStringLiteral(
        "SELECT count(DISTINCT NumDoc), min(NumDoc), max(NumDoc), count(DISTINCT NumDiari), "
        "min(NumDiari), max(NumDiari) FROM MovCTB"));
    EXPECT_EQ(numbers.field(0).toInt(), 2 * kDocuments);
    EXPECT_EQ(numbers.field(1).toInt(), 42);
    EXPECT_EQ(numbers.field(2).toInt(), 41 + 2 * kDocuments);
    EXPECT_EQ(numbers.field(3).toInt(), 2 * kDocuments);
    EXPECT_EQ(numbers.field(4).toInt(), 8);
    EXPECT_EQ(numbers.field(5).toInt(), 7 + 2 * kDocuments);
    EXPECT_EQ(company.documentNumerator(u"FC"_s), 41 + 2 * kDocuments);
    EXPECT_EQ(company.journalNumerator(u"01"_s), 7 + 2 * kDocuments);
}

INSTANTIATE_TEST_SUITE_P(Engines, WriterTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
