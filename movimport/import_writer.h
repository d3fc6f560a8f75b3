#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

#include "ledger/numerators.h"
#include "movimport/import_documents.h"

namespace agrimor {

class DataAccess;
class ImportLinesTable;

struct WrittenDocument {
    QString key;
    DocumentNumbering numbering;
    ReservedNumbers numbers;
    int lines = 0;  // MovCTB rows written
};

struct ImportWriteSummary {
    std::vector<WrittenDocument> documents;
    int lines = 0;
};

// Writes the import into the company's MovCTB, inside the caller's open transaction: every
// document (groupByDocument) becomes a new document numbered from the ERP's numerators
// (reserveNumbers), one MovCTB row per line with an account, in sheet order. A line with an empty
// Conta is skipped and takes no line number.
//
// A document is numbered with the year (last four characters of DataDoc), type, series and journal
// of its first line, the values the check-up held every line of it to. Each row gets:
//   TPTERC CONTA TPDOC SERIE DIARIO DBCR VALOR     the line's values as read (null stays null)
//   REF TERC DESCR SECTOR RUBORC CCUSTORC NCONT CODIVA CODFLU CUSTEIO OPERADOR LINCC
//                                                  the line's values, null as ""
//   NUMDOC NUMDIARI                                the reserved numbers
//   NUMLINHA                                       1, 2, ... over the document's written lines
//   ANO EXERCICIO                                  the document's year
//   DATADOC                                        DataDoc as a date
//   DTREAL                                         DataR as a date, DataDoc when DataR is empty
//   MES                                            the month of DataDoc, two digits ("03")
//   DATAR DATAAL                                   the date of `now`
//   SYSTEMENTRYDATE                                `now`, to the second
//   VERSAO 0, ORIGEM 9, LIGADO 1, STATAC 2, NAT 2, ERROCTB "", MNLAUT 1
//   MVDES     on an account starting with "9": the line number of the document's latest line on
//             an account before "9" (0 before the first); on any other account "00000"
//   CTRESP    0 without a VAT code or when PLAIVA has none for the year; 2 when the line's account
//             is the code's VAT account (CNTIVA); otherwise 1
//   VALOR_BASE                                     ValorBase as a null-safe amount (0 for null)
// Columns are matched by name ignoring case; a column of the table not listed keeps its default
// (DBTS among them), a listed column the table lacks is not written. Dates are bound as dates.
//
// Every row goes through one updatable result set (array-bound on ODBC), after the numbers and
// the VAT accounts have been read. Any failure throws ImportError with number 5000 and the text
// "<number> - <description> em GravaMovimentos"; the caller rolls back.
ImportWriteSummary writeImportedMovements(DataAccess& company, const ImportLinesTable& lines,
                                          const QDateTime& now,
                                          const ImportProgress& progress = {});

}  // namespace agrimor
