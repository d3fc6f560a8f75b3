#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "data/money.h"

namespace agrimor {

class DataAccess;
class Prompter;

// The run log zeb_CNS_Registo in the consolidated database: one row per run of a job that writes
// into the books (the consolidation, its cancellation, the class-9 confirmation, the movement and
// the rate import, from the screens or agrimor-batch).

// The jobs as the column Tarefa names them.
namespace run_task {
inline const QString kConsolidation = QStringLiteral("consolidacao");
inline const QString kCancellation = QStringLiteral("anulacao");
inline const QString kClass9 = QStringLiteral("classe9");
inline const QString kImport = QStringLiteral("importacao");
inline const QString kRates = QStringLiteral("cambios");
}  // namespace run_task

// How a run ended, as the column Resultado holds it.
namespace run_result {
inline const QString kDone = QStringLiteral("efetuado");
inline const QString kRefused = QStringLiteral("recusado");
inline const QString kFailed = QStringLiteral("erro");
}  // namespace run_result

// One written document of a run: enough to find its lines again and to tell whether they are
// still as the run wrote them.
struct WrittenDocumentTrace {
    int year = 0;
    QString type;
    QString series;
    std::int64_t number = 0;
    QString journal;
    std::int64_t journalNumber = 0;
    int month = 0;
    std::int64_t lines = 0;
    Money debit;
    Money credit;
};

// A numerator's value: NumDoc (year, series, type) or NumDiar (year, journal; its yearly row).
struct NumeratorValue {
    bool journal = false;  // NumDiar when true, NumDoc otherwise
    int year = 0;
    QString series;  // NumDoc only
    QString code;    // the document type (NumDoc) or the journal (NumDiar)
    std::int64_t value = 0;
    bool null = false;  // the row held null (value 0 stands for it); an empty value in the text
};

// A code as the databases compare it ('=' under SQLite's ci_rtrim and SQL Server's default
// collation): trailing spaces and case ignored.
QString comparedCode(const QString& code);

// Documents numbered from the same NumDoc row (year, type and series as the database compares
// them), and the documents put in that order, by number within a row.
bool sameNumerator(const WrittenDocumentTrace& a, const WrittenDocumentTrace& b);
void sortByNumerator(std::vector<WrittenDocumentTrace>& documents);
// Sorts `documents` by numerator and gives the [first, end) spans of each numerator row: a span
// is one read or delete by a range of numbers, which finds every spelling of its codes.
std::vector<std::pair<std::size_t, std::size_t>> numeratorSpans(
    std::vector<WrittenDocumentTrace>& documents);

// A run's documents of one year, type and series, from the first number to the last.
struct DocumentRange {
    int year = 0;
    QString type;
    QString series;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

struct RunRecord {
    std::int64_t id = 0;  // given by the database
    QString task;
    std::optional<int> company;  // 1..6; none for the rates, which belong to the group
    QString companyName;
    std::optional<int> year;
    std::optional<int> month;
    bool cumulative = false;  // the consolidation's or cancellation's months 1 to `month`
    QString osUser;
    QString dbUser;
    QString machine;
    QDateTime start;
    QDateTime end;
    QString result;
    QString message;
    std::int64_t lines = 0;
    QString tpDoc;
    QString serie;
    std::optional<int> docYear;
    std::optional<std::int64_t> firstDoc;
    std::optional<std::int64_t> lastDoc;
    QString journal;
    std::optional<std::int64_t> firstJournal;
    std::optional<std::int64_t> lastJournal;
    std::optional<Money> debit;
    std::optional<Money> credit;
    QString file;
    QString sheet;
    QString sha256;
    std::vector<NumeratorValue> numeratorsBefore;
    std::vector<NumeratorValue> numeratorsAfter;
    // The import's documents, for its undo; readRuns() reads them only for a run whose summary
    // columns hold no range (it wrote several types, series or years).
    std::vector<WrittenDocumentTrace> documents;
    std::optional<QDateTime> undone;

    // The user (his operating-system login, if he has none the database user).
    QString userShown() const { return osUser.isEmpty() ? dbUser : osUser; }
};

// A new record of `task` for the company, started now by this user on this machine, with the
// database user of `db` (the database the job writes).
RunRecord startRun(const QString& task, std::optional<int> company, const QString& companyName,
                   const DataAccess& db);

// Fills the record's documents, lines and totals from the documents themselves, read from
// MovCTB of `db` (inside the job's transaction, before its commit): lines and debit/credit per
// document. The summary columns are set from them: lines and totals of all; the type, series,
// year, first and last document only when all share one type, series and year, and the journal
// with its first and last number only when all share one journal and year (else they stay empty:
// the documents' ranges are documentRanges()).
// What MovCTB holds now of each document of one type and series numbered first..last, by number:
// its lines, its first month and its debit and credit. Throws DbError.
struct DocumentNow {
    std::int64_t lines = 0;
    int month = 0;
    Money debit;
    Money credit;
};
QMap<std::int64_t, DocumentNow> readDocumentTotals(DataAccess& db, int year, const QString& type,
                                                   const QString& series, std::int64_t first,
                                                   std::int64_t last);

void traceDocuments(DataAccess& db, RunRecord& record, std::vector<WrittenDocumentTrace> documents);

// The totals of one range of documents as they are in MovCTB, into the record's summary columns
// (lines, debit, credit, type, series, year, first and last number).
void traceDocumentRange(DataAccess& db, RunRecord& record, int year, const QString& type,
                        const QString& series, std::int64_t first, std::int64_t last);

// The run's documents as ranges of one year, type and series (codes as the database compares
// them), in that order: from its documents when it has them, else its summary columns.
std::vector<DocumentRange> documentRanges(const RunRecord& record);

// Empties what the record says was written (documents, numbers, totals): the job rolled back.
void forgetWritten(RunRecord& record);

// Appends the record (ended now when its end is not set) through the caller's connection to the
// consolidated database, inside the caller's transaction when one is open. Throws on failure.
void appendRun(DataAccess& consolidated, RunRecord record);

// Appends the record after the job's own commit (the job wrote a company database, or failed):
// a failure is shown through `prompter` as "A execução não ficou registada no histórico: " and
// the error, and returned as false; the job's data stay as written.
bool appendRunAfterCommit(DataAccess& consolidated, Prompter& prompter, const RunRecord& record);

inline const QString kRunNotLogged =
    QString::fromUtf8("A execução não ficou registada no histórico: ");

struct RunFilter {
    std::optional<int> company;
    std::optional<int> year;
    std::optional<int> month;
    QString task;  // empty: every job
};

// The runs the filter lets through, newest first (by Id), without their documents.
std::vector<RunRecord> readRuns(DataAccess& consolidated, const RunFilter& filter);

// One run with its documents and numerators; none when there is no such Id.
std::optional<RunRecord> readRun(DataAccess& consolidated, std::int64_t id);

// The last run of `task` that ended "efetuado" for the company's year and month (the
// consolidation and cancellation log the month chosen); none when there is none.
std::optional<RunRecord> lastRun(DataAccess& consolidated, const QString& task, int company,
                                 int year, int month);

// Marks the run undone at `when` unless it is already: true when this call marked it (one
// conditional UPDATE, so of two at the same moment only one marks it).
bool markRunUndone(DataAccess& consolidated, std::int64_t id, const QDateTime& when);

// Takes back the mark markRunUndone() set at `when` (the undo it belonged to failed).
void unmarkRunUndone(DataAccess& consolidated, std::int64_t id, const QDateTime& when);

// The texts the numerators and documents are stored as, one line each, fields tab-separated.
QString numeratorsText(const std::vector<NumeratorValue>& values);
std::vector<NumeratorValue> parseNumerators(const QString& text);
QString documentsText(const std::vector<WrittenDocumentTrace>& documents);
std::vector<WrittenDocumentTrace> parseDocuments(const QString& text);

// The SHA-256 of a file in hexadecimal, empty when it can not be read.
QString fileSha256(const QString& path);

}  // namespace agrimor
