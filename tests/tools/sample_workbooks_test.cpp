#include "tools/seeder/sample_workbooks.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>

#include "data/data_access.h"
#include "movimport/import_checkup.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/test_databases.h"
#include "workbook/workbook.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using Lines = ImportLinesTable;

// Every kind of anomaly the import check-up reports: the start of its text.
const QStringList& anomalyKindsKnown() {
    static const QStringList kinds{
        u"A série tem de ser igual"_s,
        u"A data documento tem de ser igual"_s,
        u"Data real é superior"_s,
        u"O Tipo Documento tem de ser igual"_s,
        u"O Setor tem de ser igual"_s,
        u"O Diário tem de ser igual"_s,
        u"Não existe numerador do diário"_s,
        u"Não existe numerador do tipo documento"_s,
        u"Conta Inválida"_s,
        u"Tipo Documento inválido"_s,
        u"Setor inválido"_s,
        u"Diário inválido"_s,
        u"Rubrica Orçamental inválida"_s,
        u"Centro Custo inválido"_s,
        u"Custeio inválido"_s,
        u"Código IVA inválido"_s,
        u"Código Fluxo inválido"_s,
        u"Terceiro inválido"_s,
        u"Débito <> Crédito"_s,
        u"Data documento inválida"_s,
        u"Data real inválida"_s,
    };
    return kinds;
}

// The kind of an anomaly: its text without the code and document.
QString anomalyKind(const QString& text) {
    for (const QString& kind : anomalyKindsKnown())
        if (text.startsWith(kind))
            return kind;
    return text;
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

TEST_P(SampleWorkbooks, each_anomaly_document_shows_an_anomaly_and_every_kind_is_there) {
    Lines lines;
    ImportDocumentsTable documents;
    readMovements(demo::kAnomalySample, GetParam(), lines, documents);
    QMap<QString, QSet<QString>> kinds;  // by document
    for (const ImportAnomaly& anomaly : checkImportLines(*company_, lines))
        kinds[anomaly.document] << anomalyKind(anomaly.text);
    QSet<QString> all;
    for (int row = 0; row < documents.size(); ++row) {
        const QString key = documents.value(row, ImportDocumentsTable::Doc).toText();
        EXPECT_FALSE(kinds.value(key).isEmpty()) << key.toStdString();
        all += kinds.value(key);
    }
    // Every kind the check-up knows, and nothing else.
    const QSet<QString> expected(anomalyKindsKnown().cbegin(), anomalyKindsKnown().cend());
    EXPECT_EQ(all, expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, SampleWorkbooks,
                         ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return std::string(info.param == WorkbookFormat::Xls ? "xls" : "xlsx");
                         });

}  // namespace
}  // namespace agrimor
