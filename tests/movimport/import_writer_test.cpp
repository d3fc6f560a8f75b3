// Writing an import: the column table of the written rows against an expectation written out by
// hand, the numerators (advanced per document, a null one, a missing one, two imports at once),
// on both engines.

#include "movimport/import_writer.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

#include "movimport/import_error.h"
#include "tests/movimport/import_setup.h"
#include "tests/support/qstring_printer.h"

namespace agrimor {
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

// One written row as the column table has it, the constant columns aside.
struct Row {
    const char* tpDoc;
    int numDoc;
    int numDiari;
    int numLinha;
    const char* conta;
    int dbCr;
    const char* valor;
    QDate dataDoc;
    QDate dtReal;
    int mes;
    const char* mvDes;  // as the smallint column holds it
    int ctResp;
    const char* valorBase;
};

TEST_P(WriterTest, every_column_gets_the_value_of_the_column_table) {
    addLine(lines, QStringLiteral("A"), QStringLiteral("6221"), 1, QStringLiteral("100.50"),
            {{L::CodIva, text("IVA23")},
             {L::ValorBase, Value(*Money::parse(u"100.1234"))},
             {L::DataR, text("04-03-2024")},
             {L::Ref, text("FT 1/A")},
             {L::RubOrc, text("R01")},
             {L::CCustOrc, text("CC1")},
             {L::Custeio, text("P1")},
             {L::CodFlu, text("F1")},
             {L::NCont, text("500100200")},
             {L::Operador, text("ANA")},
             {L::LinCC, 12}});
    addLine(lines, QStringLiteral("A"), QStringLiteral("2432"), 1, QStringLiteral("23.115"),
            {{L::CodIva, text("IVA23")}, {L::DataR, text("04-03-2024")}});
    addLine(lines, QStringLiteral("A"), QStringLiteral("221"), 2, QStringLiteral("123.615"),
            {{L::TpTerc, 1}, {L::Terc, text("F1")}, {L::DataR, text("04-03-2024")}});
    addLine(lines, QStringLiteral("A"), QStringLiteral("9221"), 1, QStringLiteral("100.5"),
            {{L::DataR, text("04-03-2024")}});
    addLine(lines, QStringLiteral("A"), QStringLiteral("9222"), 2, QStringLiteral("100.5"),
            {{L::DataR, text("04-03-2024")}});
    // A document that starts on a class-9 account, with a line without an account.
    addLine(lines, QStringLiteral("B"), QStringLiteral("9221"), 1, QStringLiteral("10"));
    addLine(lines, QStringLiteral("B"), QString(), 1, QStringLiteral("99"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("6221"), 2, QStringLiteral("10"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("9222"), 2, QStringLiteral("10"));
    // Another type and journal, both numerators null; no real date; a VAT code without account.
    const test::LineChanges ft{{L::TpDoc, text("FT")},
                               {L::Diario, text("02")},
                               {L::DataDoc, text("31-12-2024")},
                               {L::CodIva, text("ISE")}};
    addLine(lines, QStringLiteral("C"), QStringLiteral("7111"), 1, QStringLiteral("1"), ft);
    addLine(lines, QStringLiteral("C"), QStringLiteral("221"), 2, QStringLiteral("1"), ft);
    lines.setValue(10, L::CodIva, Value());
    lines.setValue(10, L::TpTerc, 2);
    lines.setValue(10, L::Terc, QStringLiteral("C1"));

    const ImportWriteSummary summary = write();
    EXPECT_EQ(summary.lines, 10);
    ASSERT_EQ(summary.documents.size(), 3u);
    EXPECT_EQ(summary.documents[1].lines, 3);

    const QDate march5(2024, 3, 5), march4(2024, 3, 4), december31(2024, 12, 31);
    const std::vector<Row> expected{
        {"FC", 42, 8, 1, "6221", 1, "100.5", march5, march4, 3, "0", 1, "100.1234"},
        {"FC", 42, 8, 2, "2432", 1, "23.115", march5, march4, 3, "0", 2, "0"},
        {"FC", 42, 8, 3, "221", 2, "123.615", march5, march4, 3, "0", 0, "0"},
        {"FC", 42, 8, 4, "9221", 1, "100.5", march5, march4, 3, "3", 0, "0"},
        {"FC", 42, 8, 5, "9222", 2, "100.5", march5, march4, 3, "3", 0, "0"},
        {"FC", 43, 9, 1, "9221", 1, "10", march5, march5, 3, "0", 0, "0"},
        {"FC", 43, 9, 2, "6221", 2, "10", march5, march5, 3, "0", 0, "0"},
        {"FC", 43, 9, 3, "9222", 2, "10", march5, march5, 3, "2", 0, "0"},
        {"FT", 1, 1, 1, "7111", 1, "1", december31, december31, 12, "0", 1, "0"},
        {"FT", 1, 1, 2, "221", 2, "1", december31, december31, 12, "0", 0, "0"},
    };
    Recordset rows = company.db().openReadOnly(
        QStringLiteral("SELECT * FROM MovCTB ORDER BY TpDoc, NumDoc, NumLinha"));
    ASSERT_EQ(rows.rowCount(), static_cast<int>(expected.size()));
    const auto field = [&rows](const char* name) { return rows.field(QString::fromLatin1(name)); };
    for (const Row& e : expected) {
        SCOPED_TRACE(testing::Message() << e.tpDoc << e.numDoc << "/" << e.numLinha);
        EXPECT_EQ(field("Ano").toInt(), 2024);
        EXPECT_EQ(field("Exercicio").toInt(), 2024);
        EXPECT_EQ(field("TpDoc").toText(), QLatin1String(e.tpDoc));
        EXPECT_EQ(field("Serie").toText(), QStringLiteral("1"));
        EXPECT_EQ(field("NumDoc").toInt(), e.numDoc);
        EXPECT_EQ(field("NumLinha").toInt(), e.numLinha);
        EXPECT_EQ(field("NumDiari").toInt(), e.numDiari);
        EXPECT_EQ(field("Diario").toText(), QLatin1String(e.tpDoc) == QLatin1String("FC")
                                                ? QStringLiteral("01")
                                                : QStringLiteral("02"));
        EXPECT_EQ(field("Conta").toText(), QLatin1String(e.conta));
        EXPECT_EQ(field("DbCr").toInt(), e.dbCr);
        EXPECT_EQ(field("Valor").toMoney(), *Money::parse(QString::fromLatin1(e.valor)));
        EXPECT_EQ(field("DataDoc").toDateTime(), naiveDateTime(e.dataDoc));
        EXPECT_EQ(field("DtReal").toDateTime(), naiveDateTime(e.dtReal));
        EXPECT_EQ(field("Mes").toInt(), e.mes);
        EXPECT_EQ(field("MvDes").toText(), QLatin1String(e.mvDes));
        EXPECT_EQ(field("CtResp").toInt(), e.ctResp);
        EXPECT_EQ(field("Valor_Base").toMoney(), *Money::parse(QString::fromLatin1(e.valorBase)));
        EXPECT_EQ(field("Versao").toInt(), 0);
        EXPECT_EQ(field("Origem").toInt(), 9);
        EXPECT_EQ(field("Ligado").toInt(), 1);
        EXPECT_EQ(field("Statac").toInt(), 2);
        EXPECT_EQ(field("Nat").toInt(), 2);
        EXPECT_EQ(field("MnlAut").toInt(), 1);
        EXPECT_FALSE(field("ErroCTB").isNull());
        EXPECT_EQ(field("ErroCTB").toText(), QString());
        EXPECT_EQ(field("DataR").toDateTime(), naiveDateTime(QDate(2025, 1, 15)));
        EXPECT_EQ(field("DataAl").toDateTime(), naiveDateTime(QDate(2025, 1, 15)));
        EXPECT_EQ(field("SystemEntryDate").toDateTime(),
                  naiveDateTime(QDate(2025, 1, 15), QTime(9, 8, 7)));
        EXPECT_TRUE(field("DBTS").isNull());
        EXPECT_EQ(field("Sector").toText(), QStringLiteral("01"));
        rows.moveNext();
    }

    // The optional texts of the first line, and null-safe empty texts elsewhere.
    rows.moveFirst();
    EXPECT_TRUE(field("TpTerc").isNull());
    EXPECT_EQ(field("Ref").toText(), QStringLiteral("FT 1/A"));
    EXPECT_EQ(field("Descr").toText(), QStringLiteral("Compra A"));
    EXPECT_EQ(field("RubOrc").toText(), QStringLiteral("R01"));
    EXPECT_EQ(field("CCustOrc").toText(), QStringLiteral("CC1"));
    EXPECT_EQ(field("Custeio").toText(), QStringLiteral("P1"));
    EXPECT_EQ(field("CodIva").toText(), QStringLiteral("IVA23"));
    EXPECT_EQ(field("CodFlu").toText(), QStringLiteral("F1"));
    EXPECT_EQ(field("NCont").toText(), QStringLiteral("500100200"));
    EXPECT_EQ(field("Operador").toText(), QStringLiteral("ANA"));
    EXPECT_EQ(field("LinCC").toText(), QStringLiteral("12"));
    rows.moveTo(2);
    EXPECT_EQ(field("TpTerc").toInt(), 1);
    EXPECT_EQ(field("Terc").toText(), QStringLiteral("F1"));
    EXPECT_FALSE(field("Ref").isNull());
    EXPECT_EQ(field("Ref").toText(), QString());
    EXPECT_EQ(field("LinCC").toText(), QString());

    // Each numerator advanced once per document.
    EXPECT_EQ(company.documentNumerator(QStringLiteral("FC")), 43);
    EXPECT_EQ(company.journalNumerator(QStringLiteral("01")), 9);
    EXPECT_EQ(company.documentNumerator(QStringLiteral("FT")), 1);
    EXPECT_EQ(company.journalNumerator(QStringLiteral("02")), 1);
    EXPECT_EQ(company.db()
                  .openReadOnly(QStringLiteral(
                      "SELECT Numerado FROM NumDiar WHERE Diario = '01' AND Mes = 3"))
                  .field(0)
                  .toInt(),
              500);
}

TEST_P(WriterTest, documents_take_their_numbers_in_order_whatever_case_their_codes_are_in) {
    // The database finds one numerator row for "fc" and "FC", "ja" and "JA".
    company.db().execute(QStringLiteral(
        "INSERT INTO NumDiar (Ano, Diario, Mes, Numerado) VALUES (2024, 'JA', 0, 10)"));
    const char* spellings[][2] = {{"fc", "JA"}, {"FC", "ja"}, {"fc", "JA"}, {"Fc", "ja"}};
    for (const auto& [type, journal] : spellings) {
        const QString key = QString::number(lines.size());
        addLine(lines, key, QStringLiteral("6221"), 1, QStringLiteral("1"),
                {{L::TpDoc, text(type)}, {L::Diario, text(journal)}});
    }
    const ImportWriteSummary summary = write();
    ASSERT_EQ(summary.documents.size(), 4u);
    for (int d = 0; d < 4; ++d) {
        EXPECT_EQ(summary.documents[static_cast<std::size_t>(d)].numbers.document, 42 + d);
        EXPECT_EQ(summary.documents[static_cast<std::size_t>(d)].numbers.journal, 11 + d);
    }
    EXPECT_EQ(company.documentNumerator(QStringLiteral("FC")), 45);
    EXPECT_EQ(company.journalNumerator(QStringLiteral("JA")), 14);
}

TEST_P(WriterTest, a_numerator_missing_at_writing_stops_it_with_nothing_written) {
    addLine(lines, QStringLiteral("A"), QStringLiteral("6221"), 1, QStringLiteral("1"));
    addLine(lines, QStringLiteral("B"), QStringLiteral("6221"), 1, QStringLiteral("1"),
            {{L::Serie, text("7")}});
    EXPECT_EQ(failure(), QString::fromUtf8("5000 - Não existe numerador do tipo documento FC, "
                                           "série 7, no ano 2024 em GravaMovimentos"));
    lines.setValue(1, L::Serie, QStringLiteral("1"));
    lines.setValue(1, L::Diario, QStringLiteral("09"));
    EXPECT_EQ(failure(), QString::fromUtf8("5000 - Não existe numerador do diário 09 no ano 2024 "
                                           "em GravaMovimentos"));
    EXPECT_EQ(company.movementCount(), 0);
    EXPECT_EQ(company.documentNumerator(QStringLiteral("FC")), 41);
    EXPECT_EQ(company.journalNumerator(QStringLiteral("01")), 7);
}

TEST_P(WriterTest, a_failing_row_names_the_error_and_a_column_the_table_lacks_is_left_out) {
    company.db().execute(QStringLiteral("ALTER TABLE MovCTB DROP COLUMN Valor_Base"));
    addLine(lines, QStringLiteral("A"), QStringLiteral("6221"), 1, QStringLiteral("1"),
            {{L::ValorBase, Value(Money::fromWhole(5))}});
    write();
    EXPECT_EQ(company.movementCount(), 1);

    // The same document again: its number is new, so only a date that is none can fail it.
    lines.setValue(0, L::DataR, QStringLiteral("30-02-2024"));
    EXPECT_EQ(failure(), QString::fromUtf8("5000 - DataR '30-02-2024' não é uma data (linha 2 da "
                                           "folha) em GravaMovimentos"));
    EXPECT_EQ(company.movementCount(), 1);
    EXPECT_EQ(company.documentNumerator(QStringLiteral("FC")), 42);
}

TEST_P(WriterTest, two_imports_at_the_same_moment_take_distinct_numbers) {
    constexpr int kDocuments = 40;
    L first, second;
    for (int d = 0; d < kDocuments; ++d) {
        for (L* table : {&first, &second}) {
            const QString key = QStringLiteral("%1-%2").arg(table == &first ? 1 : 2).arg(d);
            addLine(*table, key, QStringLiteral("6221"), 1, QStringLiteral("1"));
            addLine(*table, key, QStringLiteral("221"), 2, QStringLiteral("1"));
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
    EXPECT_EQ(company.documentNumerator(QStringLiteral("FC")), 41 + 2 * kDocuments);
    EXPECT_EQ(company.journalNumerator(QStringLiteral("01")), 7 + 2 * kDocuments);
}

INSTANTIATE_TEST_SUITE_P(Engines, WriterTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace agrimor
