#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

#include "movimport/import_documents.h"

namespace agrimor {

class DataAccess;
class ImportLinesTable;
struct ImportEnvironment;

// One finding of the check-up: the text the anomalies file holds, and where it points.
struct ImportAnomaly {
    QString text;
    QString document;  // the document's key
    int line = -1;     // the line's row in the lines table; -1 for the document as a whole
    int sheetRow = 0;  // the line's sheet row; 0 for the document as a whole
};

// The check-up of an import against the company's master data, without messages or file. Every
// document (groupByDocument) is checked line by line in sheet order; each failing rule gives one
// anomaly and the line goes on to the next rule:
//  1, 2, 4-6  Serie, DataDoc, TpDoc, Setor and Diario equal on every line of the document (the
//             first line sets the reference; exact, case-sensitive)
//  3          DataR, when given, not after DataDoc
//  7, 8       the journal's numerator (NumDiar, Mes 0) and the type and series' numerator
//             (NumDoc) for the year of DataDoc (its last four characters)
//  9-12       the account (in the year's chart, taking movements), document type, sector and
//             journal exist
//  13-17      RubOrc, CCustOrc, Custeio, CodIva (per year) and CodFlu (per year), when given, exist
//  18         with TpTerc 1 or 2, the third party among the suppliers or customers
// and after the last line the debit total equals the credit total (DbCr 1 and 2, null-safe amounts,
// four decimals, exact). A required column that is empty (Serie, DataDoc, TpDoc, Setor, Diario,
// Conta) is an anomaly of its line in the place of the first rule that needs it, and the rules that
// need it are not applied to that line; a DataDoc or DataR that is no day-month-year date is one
// too. Lines without a document key are reported last.
//
// Each distinct code is looked up once (CodeTables). Reads the database, writes nothing.
std::vector<ImportAnomaly> checkImportLines(DataAccess& company, const ImportLinesTable& lines,
                                            const ImportProgress& progress = {});

// data folder + "/Anomalias_ImpMov" + the start of the check-up as yyyymmddhhmmss + ".txt".
QString importAnomaliesFileName(const QString& dataFolder, const QDateTime& startedAt);
// One anomaly text per line, each ended by CR LF, UTF-8; replaces a file of that name. Throws
// ImportError when the file can not be written.
void writeImportAnomaliesFile(const QString& path, const std::vector<ImportAnomaly>& anomalies);

struct ImportCheckUp {
    std::vector<ImportAnomaly> anomalies;
    QString anomaliesFile;  // written when there were anomalies
    bool ok() const { return anomalies.empty(); }
};

// The whole check-up as the confirm button runs it: the checks, then with anomalies the
// anomalies file and the message
//   "Empresa:  <company>\r\nAnomalias detetadas!\r\nConsulte: <file>"
// and without any
//   "Empresa:  <company>\r\nCheckUp efetuado com sucesso!"
// (two blanks after "Empresa:"). The file is named from the clock's time at the start. A database
// failure, or no company database, throws.
ImportCheckUp checkUpImport(ImportEnvironment& environment, const ImportLinesTable& lines);

}  // namespace agrimor
