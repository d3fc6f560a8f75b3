#include "tools/seeder/sample_workbooks.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMap>
#include <QSet>

#include "data/data_access.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "rateimport/rates_table.h"
#include "tests/support/test_databases.h"
#include "workbook/workbook.h"

namespace agrimor {
namespace {

using Lines = ImportLinesTable;

// The line and document checks of the import validation, reduced to which kinds of anomaly a
// document shows, run against a company's master data. Keyed by document.
QMap<QString, QSet<QString>> anomalyKinds(DataAccess& db, const Lines& lines) {
    const auto found = [&db](const char* sql, const Params& params) {
        return !db.openReadOnly(QString::fromLatin1(sql), params).isEmpty();
    };
    struct Document {
        QString serie, date, type, sector, journal;
        Money debit, credit;
    };
    QMap<QString, Document> documents;
    QMap<QString, QSet<QString>> kinds;
    for (int row = 0; row < lines.size(); ++row) {
        const auto text = [&](int column) { return lines.value(row, column).toText(); };
        const QString key = text(Lines::Doc);
        const bool first = !documents.contains(key);
        Document& document = documents[key];
        QSet<QString>& found_ = kinds[key];
        const auto same = [&](QString& reference, int column, const char* kind) {
            if (first)
                reference = text(column);
            else if (reference != text(column))
                found_ << QString::fromLatin1(kind);
        };
        same(document.serie, Lines::Serie, "serie");
        same(document.date, Lines::DataDoc, "data");
        same(document.type, Lines::TpDoc, "tipo");
        same(document.sector, Lines::Setor, "setor");
        same(document.journal, Lines::Diario, "diario");
        const QDate date = parseDayMonthYear(text(Lines::DataDoc));
        if (!date.isValid())
            found_ << QStringLiteral("data impossivel");
        const QDate real = parseDayMonthYear(text(Lines::DataR));
        if (real.isValid() && date.isValid() && real > date)
            found_ << QStringLiteral("data real");
        const int year = text(Lines::DataDoc).right(4).toInt();
        const auto check = [&](bool ok, const char* kind) {
            if (!ok)
                found_ << QString::fromLatin1(kind);
        };
        check(found("SELECT 1 FROM NumDiar WHERE Ano = ? AND Diario = ? AND Mes = 0",
                    {year, text(Lines::Diario)}),
              "numerador diario");
        check(found("SELECT 1 FROM NumDoc WHERE Ano = ? AND Serie = ? AND Doc = ?",
                    {year, text(Lines::Serie), text(Lines::TpDoc)}),
              "numerador documento");
        check(found("SELECT 1 FROM POC WHERE Conta = ? AND Exercicio = ? AND "
                    "coalesce(NivInt, 0) = 0",
                    {text(Lines::Conta), year}),
              "conta");
        check(found("SELECT 1 FROM TPDOC WHERE Codigo = ?", {text(Lines::TpDoc)}), "tipo invalido");
        check(found("SELECT 1 FROM Sectores WHERE Codigo = ?", {text(Lines::Setor)}),
              "setor invalido");
        check(found("SELECT 1 FROM DIARIO WHERE Codigo = ?", {text(Lines::Diario)}),
              "diario invalido");
        const auto optional = [&](int column, const char* sql, bool perYear, const char* kind) {
            if (text(column).isEmpty())
                return;
            check(found(sql, perYear ? Params{text(column), year} : Params{text(column)}), kind);
        };
        optional(Lines::RubOrc, "SELECT 1 FROM RUBRORC WHERE Cod = ?", false, "rubrica");
        optional(Lines::CCustOrc, "SELECT 1 FROM CCusto WHERE Cod = ?", false, "centro custo");
        optional(Lines::Custeio, "SELECT 1 FROM Custeio WHERE Custeio = ?", false, "custeio");
        optional(Lines::CodIva, "SELECT 1 FROM PLAIVA WHERE CodIva = ? AND Exercicio = ?", true,
                 "iva");
        optional(Lines::CodFlu, "SELECT 1 FROM PLFLUX WHERE CodFlux = ? AND Exercicio = ?", true,
                 "fluxo");
        const auto party = lines.value(row, Lines::TpTerc).toInt();
        if (party == 1 || party == 2) {
            check(found(party == 1 ? "SELECT 1 FROM Fornec WHERE Codigo = ?"
                                   : "SELECT 1 FROM Clientes WHERE Codigo = ?",
                        {text(Lines::Terc)}),
                  "terceiro");
        }
        const Money value = lines.value(row, Lines::Valor).toMoney();
        const auto side = lines.value(row, Lines::DbCr).toInt();
        if (side == 1)
            document.debit += value;
        else if (side == 2)
            document.credit += value;
    }
    for (auto it = documents.cbegin(); it != documents.cend(); ++it)
        if (it->debit != it->credit)
            kinds[it.key()] << QStringLiteral("saldo");
    return kinds;
}

class SampleWorkbooks : public ::testing::TestWithParam<WorkbookFormat> {
protected:
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        demo::seedDemo(folder_->path());
        company_ = demo::openDatabase(folder_->file(demo::companies().front().file)).release();
    }
    static void TearDownTestSuite() {
        delete company_;
        delete folder_;
    }

    static std::unique_ptr<Workbook> open(const QString& base, WorkbookFormat format) {
        return Workbook::open(folder_->file(demo::sampleFileName(base, format)));
    }
    static void readMovements(const QString& base, WorkbookFormat format, Lines& lines,
                              ImportDocumentsTable& documents) {
        const auto book = open(base, format);
        ASSERT_EQ(book->sheetNames(), QStringList{demo::kMovementSample});
        try {
            readMovementSheet(*book, demo::kMovementSample, lines, documents);
        } catch (const WorkbookError& error) {
            FAIL() << error.message().toStdString();
        }
    }

    static test::TempFolder* folder_;
    static DataAccess* company_;
};

test::TempFolder* SampleWorkbooks::folder_ = nullptr;
DataAccess* SampleWorkbooks::company_ = nullptr;

TEST_P(SampleWorkbooks, the_rate_workbook_holds_the_rates_the_demo_stores) {
    RatesTable rates;
    readRatesWorkbook(*open(demo::kRateSample, GetParam()), rates);
    const auto expected = demo::demoRates(QStringLiteral("USD"), {});
    ASSERT_EQ(rates.size(), static_cast<int>(expected.size()));
    for (int row = 0; row < rates.size(); ++row) {
        EXPECT_EQ(rates.value(row, RatesTable::Moeda).toText(), QStringLiteral("USD"));
        EXPECT_EQ(rates.value(row, RatesTable::Data).toDate(), expected[row].date) << row;
        EXPECT_EQ(rates.value(row, RatesTable::Cambio).toMoney(), expected[row].rate) << row;
    }
    const Recordset stored =
        demo::openDatabase(folder_->file(demo::consolidatedFileName()))
            ->openReadOnly(
                QStringLiteral("SELECT count(*) AS n FROM zeb_CNS_Cambios WHERE Moeda = ?"),
                {QStringLiteral("USD")});
    EXPECT_EQ(stored.field(0).toInt(), rates.size());
}

TEST_P(SampleWorkbooks, the_clean_movements_read_and_pass_every_check_on_the_demo_data) {
    Lines lines;
    ImportDocumentsTable documents;
    readMovements(demo::kMovementSample, GetParam(), lines, documents);
    EXPECT_GE(lines.size(), 20);
    EXPECT_GE(documents.size(), 5);
    for (int row = 0; row < documents.size(); ++row)
        EXPECT_EQ(documents.value(row, ImportDocumentsTable::Ano).toInt(), demo::kDemoYear);
    const auto kinds = anomalyKinds(*company_, lines);
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
        EXPECT_TRUE(it->isEmpty()) << it.key().toStdString() << ": "
                                   << it->values().join(QStringLiteral(", ")).toStdString();
}

TEST_P(SampleWorkbooks, each_anomaly_document_shows_an_anomaly_and_every_kind_is_there) {
    Lines lines;
    ImportDocumentsTable documents;
    readMovements(demo::kAnomalySample, GetParam(), lines, documents);
    const auto kinds = anomalyKinds(*company_, lines);
    ASSERT_EQ(kinds.size(), documents.size());
    QSet<QString> all;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
        EXPECT_FALSE(it->isEmpty()) << it.key().toStdString();
        all += *it;
    }
    QSet<QString> expected;
    for (const char* kind : {"serie",
                             "data",
                             "data real",
                             "tipo",
                             "setor",
                             "diario",
                             "numerador diario",
                             "numerador documento",
                             "conta",
                             "tipo invalido",
                             "setor invalido",
                             "diario invalido",
                             "rubrica",
                             "centro custo",
                             "custeio",
                             "iva",
                             "fluxo",
                             "terceiro",
                             "saldo",
                             "data impossivel"})
        expected << QString::fromLatin1(kind);
    EXPECT_EQ(all, expected);
}

TEST(SampleWorkbookFormats, both_formats_read_into_the_same_import_lines) {
    test::TempFolder folder;
    demo::writeSampleWorkbooks(folder.path());
    for (const QString& base : {demo::kMovementSample, demo::kAnomalySample}) {
        Lines xls, xlsx;
        ImportDocumentsTable xlsDocuments, xlsxDocuments;
        readMovementSheet(
            *Workbook::open(folder.file(demo::sampleFileName(base, WorkbookFormat::Xls))),
            demo::kMovementSample, xls, xlsDocuments);
        readMovementSheet(
            *Workbook::open(folder.file(demo::sampleFileName(base, WorkbookFormat::Xlsx))),
            demo::kMovementSample, xlsx, xlsxDocuments);
        ASSERT_EQ(xls.size(), xlsx.size());
        for (int row = 0; row < xls.size(); ++row)
            for (int column = 0; column < Lines::MaxColumns; ++column)
                EXPECT_EQ(xls.value(row, column), xlsx.value(row, column))
                    << base.toStdString() << " row " << row << " column " << column;
        EXPECT_EQ(xlsDocuments.size(), xlsxDocuments.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SampleWorkbooks,
                         ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return std::string(info.param == WorkbookFormat::Xls ? "xls" : "xlsx");
                         });

}  // namespace
}  // namespace agrimor
