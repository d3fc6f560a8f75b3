// The run log of the movement import and the undoing of an import, on the demo's company and its
// Movimentos workbook, on both engines: the company comes back exactly as it was, every refusal
// writes nothing, a fault at any write of an undo leaves both databases as they were, and two
// undos at the same moment undo once.

#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <thread>

#include "data/data_access.h"
#include "data/own_tables.h"
#include "movimport/import_command.h"
#include "movimport/import_run.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "tests/support/failing_engine.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"
#include "workbook/workbook.h"

namespace agrimor {
namespace {

using namespace Qt::StringLiterals;
using test::EngineKind;

// Every MovCTB row and every numerator of a company, as text.
QStringList snapshot(DataAccess& db) {
    QStringList rows;
    for (const char* sql : {"SELECT * FROM MovCTB ORDER BY Ano, TpDoc, Serie, NumDoc, NumLinha",
                            "SELECT * FROM NumDoc ORDER BY Ano, Serie, Doc",
                            "SELECT * FROM NumDiar ORDER BY Ano, Diario, Mes"}) {
        for (Recordset r = db.openReadOnly(QLatin1String(sql)); !r.eof(); r.moveNext()) {
            QStringList fields;
            for (int c = 0; c < r.columnCount(); ++c)
                fields << r.field(c).toText();
            rows << fields.join(u'|');
        }
    }
    return rows;
}

class ImportUndo : public ::testing::TestWithParam<EngineKind> {
protected:
    static void SetUpTestSuite() {
        seeded_ = new test::TempFolder;
        demo::seedDemo(seeded_->path());
    }
    static void TearDownTestSuite() { delete seeded_; }

    void SetUp() override {
        for (const QString& file : {demo::consolidatedFileName(), demo::companies().at(0).file})
            ASSERT_TRUE(QFile::copy(seeded_->file(file), folder_.file(file)));
        consolidated_ = connect(demo::consolidatedFileName());
        ensureOwnTables(*consolidated_);
        company_ = connect(demo::companies().at(0).file);
        workbook_ =
            seeded_->file(demo::sampleFileName(demo::kMovementSample, WorkbookFormat::Xlsx));
        ImportDocumentsTable documents;
        readMovementSheet(*Workbook::open(workbook_), demo::kMovementSample, lines_, documents);
        before_ = snapshot(*company_);
    }

    std::unique_ptr<DataAccess> connect(const QString& file) {
        auto db = std::make_unique<DataAccess>();
        db->connect(test::settingsFor(GetParam(), folder_.path(), file));
        return db;
    }

    std::int64_t import() {
        ImportEnvironment environment(company_.get(), prompter_, QStringLiteral("Velmor"),
                                      folder_.path());
        environment.consolidated = consolidated_.get();
        environment.bd = 1;
        environment.workbookFile = workbook_;
        environment.sheet = demo::kMovementSample;
        prompter_.answer(Answer::Ok);
        EXPECT_EQ(runImport(environment, lines_).outcome, ImportOutcome::Written);
        return readRuns(*consolidated_, {}).front().id;
    }

    // Undoes through connections whose n-th write fails (0: none fails).
    UndoResult undo(std::int64_t id, int companyFault = 0, int logFault = 0) {
        DataAccess log;
        log.adopt(std::make_shared<test::FailingEngine>(consolidated_->engine(), logFault));
        prompter_.answer(Answer::Ok);
        return undoImport(log, id, prompter_, [&](int bd) {
            EXPECT_EQ(bd, 1);
            auto db = std::make_unique<DataAccess>();
            db->adopt(std::make_shared<test::FailingEngine>(company_->engine(), companyFault));
            return db;
        });
    }

    std::optional<QDateTime> undone(std::int64_t id) { return readRun(*consolidated_, id)->undone; }

    static test::TempFolder* seeded_;
    test::TempFolder folder_;
    std::unique_ptr<DataAccess> consolidated_;
    std::unique_ptr<DataAccess> company_;
    QString workbook_;
    ImportLinesTable lines_;
    QStringList before_;
    test::ScriptedPrompter prompter_;
};

test::TempFolder* ImportUndo::seeded_ = nullptr;

// As seeded; with every other document's type in lower case (one numerator row, both spellings,
// interleaved numbers); in a company whose numerators hold null and whose books are empty.
TEST_P(ImportUndo, the_demo_import_is_logged_and_its_undo_leaves_the_company_as_before) {
    for (const std::string variant : {"seeded", "types in either case", "null numerators"}) {
        SCOPED_TRACE(variant);
        if (variant == "types in either case") {
            for (int row = 0; row < lines_.size(); ++row)  // keys end in the document's number
                if (lines_.value(row, ImportLinesTable::Doc).toText().back().digitValue() % 2)
                    lines_.setValue(row, ImportLinesTable::TpDoc,
                                    lines_.value(row, ImportLinesTable::TpDoc).toText().toLower());
        } else if (variant == "null numerators") {
            company_->execute(QStringLiteral("DELETE FROM MovCTB"));
            company_->execute(QStringLiteral("UPDATE NumDoc SET Num=NULL"));
            company_->execute(QStringLiteral("UPDATE NumDiar SET Numerado=NULL WHERE Mes=0"));
            before_ = snapshot(*company_);
        }
        const std::int64_t id = import();
        const RunRecord run = *readRun(*consolidated_, id);
        EXPECT_EQ(run.task, QStringLiteral("importacao"));
        EXPECT_EQ(run.result, QStringLiteral("efetuado"));
        EXPECT_EQ(run.sheet, demo::kMovementSample);
        EXPECT_EQ(run.sha256, fileSha256(workbook_));
        EXPECT_EQ(snapshot(*company_).size() - before_.size(), run.lines);
        EXPECT_GT(run.lines, 0);
        EXPECT_EQ(run.debit, run.credit);
        ASSERT_FALSE(run.numeratorsAfter.empty());

        const UndoResult result = undo(id);
        EXPECT_EQ(result.outcome, UndoOutcome::Undone) << result.message.toStdString();
        EXPECT_EQ(result.linesDeleted, run.lines);
        EXPECT_EQ(snapshot(*company_), before_);
        ASSERT_TRUE(undone(id));

        // A second undo is refused and changes nothing.
        prompter_.clear();
        EXPECT_EQ(undoImport(*consolidated_, id, prompter_).outcome, UndoOutcome::Refused);
        EXPECT_TRUE(prompter_.lastText().contains(QString::fromUtf8("já foi anulada em")));
    }
    // Dates are stored as ISO text on SQLite.
    EXPECT_EQ(test::countRows(*consolidated_, QStringLiteral("zeb_CNS_Registo"),
                              QStringLiteral("Fim LIKE '____-__-__ __:__:__'")),
              3);
}

TEST_P(ImportUndo, refusals_say_why_and_write_nothing) {
    const auto refusal = [&](std::int64_t id, const char* says) {
        const QStringList company = snapshot(*company_);
        const int undoneBefore = test::countRows(*consolidated_, QStringLiteral("zeb_CNS_Registo"),
                                                 QStringLiteral("Anulado IS NOT NULL"));
        prompter_.clear();
        prompter_.answer(Answer::Ok);
        const UndoResult result = undoImport(*consolidated_, id, prompter_, [&](int) {
            auto db = std::make_unique<DataAccess>();
            db->adopt(std::make_shared<test::FailingEngine>(company_->engine(), 0));
            return db;
        });
        EXPECT_EQ(result.outcome, UndoOutcome::Refused) << says;
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(says)))
            << result.message.toStdString();
        EXPECT_EQ(snapshot(*company_), company);
        EXPECT_EQ(test::countRows(*consolidated_, QStringLiteral("zeb_CNS_Registo"),
                                  QStringLiteral("Anulado IS NOT NULL")),
                  undoneBefore);
    };
    refusal(999, "Não existe a execução n.º 999");
    RunRecord other = startRun(QStringLiteral("cambios"), std::nullopt, {}, *consolidated_);
    other.result = QStringLiteral("efetuado");
    appendRun(*consolidated_, other);
    refusal(readRuns(*consolidated_, {}).front().id, "não é uma importação");
    other.task = QStringLiteral("importacao");
    other.result = QStringLiteral("erro");
    appendRun(*consolidated_, other);
    refusal(readRuns(*consolidated_, {}).front().id, "terminou \"erro\"");

    // The same workbook twice: the second took the next numbers.
    const std::int64_t first = import();
    const std::int64_t second = import();
    const RunRecord later = *readRun(*consolidated_, second);
    const WrittenDocumentTrace& next = later.documents.front();
    refusal(first, QStringLiteral("foi numerado o documento %1 série %2 n.º %3")
                       .arg(next.type, next.series)
                       .arg(next.number)
                       .toUtf8()
                       .constData());
    // A journal entry numbered after it, in a journal the document numerators do not show: the
    // first import as if it had taken journal numbers only.
    RunRecord journalOnly = *readRun(*consolidated_, first);
    for (auto* numerators : {&journalOnly.numeratorsBefore, &journalOnly.numeratorsAfter})
        std::erase_if(*numerators, [](const NumeratorValue& v) { return !v.journal; });
    appendRun(*consolidated_, journalOnly);
    const NumeratorValue& journal = journalOnly.numeratorsAfter.front();
    refusal(readRuns(*consolidated_, {}).front().id,
            QString::fromUtf8("foi numerado o lançamento n.º %1 do diário %2 de %3 (documento ")
                .arg(journal.value + 1)
                .arg(journal.code)
                .arg(journal.year)
                .toUtf8()
                .constData());
    // A line changed in the ERP.
    const QString change = QStringLiteral(
        "UPDATE MovCTB SET Valor=Valor+? WHERE Ano=? AND TpDoc=? "
        "AND Serie=? AND NumDoc=? AND NumLinha=1");
    company_->execute(change, {1, next.year, next.type, next.series, next.number});
    refusal(second, "já não está como a importação");
    company_->execute(change, {-1, next.year, next.type, next.series, next.number});
    // A class-9 integration, then a consolidation, of the company and month ran after it.
    for (const QString& task : {u"classe9"_s, u"consolidacao"_s}) {
        RunRecord run = startRun(task, 1, {}, *company_);
        run.year = next.year;
        run.month = next.month;
        run.result = u"efetuado"_s;
        appendRun(*consolidated_, run);
        refusal(second, task == u"classe9"_s ? "correu a integração da classe 9 n.º"
                                             : "correu a consolidação n.º");
        consolidated_->execute(u"DELETE FROM zeb_CNS_Registo WHERE Tarefa=?"_s, {task});
    }

    // A journal number taken without a document to show for it.
    const QString bump =
        QStringLiteral("UPDATE NumDiar SET Numerado=Numerado+? WHERE Ano=? AND Diario=? AND Mes=0");
    company_->execute(bump, {1, next.year, next.journal});
    refusal(second, "foi tirado um número do numerador do diário");
    company_->execute(bump, {-1, next.year, next.journal});

    // In order, both go, and the company is as before either.
    EXPECT_EQ(undo(second).outcome, UndoOutcome::Undone);
    EXPECT_EQ(undo(first).outcome, UndoOutcome::Undone);
    EXPECT_EQ(snapshot(*company_), before_);
}

TEST_P(ImportUndo, a_fault_at_any_write_of_an_undo_leaves_company_and_log_as_they_were) {
    for (const bool onLog : {false, true}) {
        const std::int64_t id = import();
        const QStringList imported = snapshot(*company_);
        for (int fault = 1;; ++fault) {
            SCOPED_TRACE((onLog ? "log write " : "company write ") + std::to_string(fault));
            const UndoResult result = onLog ? undo(id, 0, fault) : undo(id, fault, 0);
            if (result.outcome == UndoOutcome::Undone) {
                EXPECT_GT(fault, 2);
                EXPECT_EQ(snapshot(*company_), before_);
                break;
            }
            EXPECT_EQ(result.outcome, UndoOutcome::Failed) << result.message.toStdString();
            EXPECT_EQ(snapshot(*company_), imported);
            EXPECT_FALSE(undone(id));
            ASSERT_LT(fault, 200);
        }
    }
}

TEST_P(ImportUndo, two_undos_at_the_same_moment_undo_once) {
    const std::int64_t id = import();
    std::atomic<int> undoneCount = 0;
    const EngineKind kind = GetParam();
    const auto undoer = [&] {
        auto log = std::make_unique<DataAccess>();
        log->connect(test::settingsFor(kind, folder_.path(), demo::consolidatedFileName()));
        auto company = std::make_unique<DataAccess>();
        company->connect(test::settingsFor(kind, folder_.path(), demo::companies().at(0).file));
        test::ScriptedPrompter prompter;
        prompter.answer(Answer::Ok);
        std::unique_ptr<DataAccess> handed = std::move(company);
        const UndoResult result =
            undoImport(*log, id, prompter, [&](int) { return std::move(handed); });
        if (result.outcome == UndoOutcome::Undone)
            ++undoneCount;
    };
    std::thread one(undoer);
    std::thread two(undoer);
    one.join();
    two.join();
    EXPECT_EQ(undoneCount.load(), 1);
    EXPECT_EQ(snapshot(*company_), before_);
    EXPECT_TRUE(undone(id));
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ImportUndo,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite));

}  // namespace
}  // namespace agrimor
