#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "data/error.h"

namespace agrimor {

class DataAccess;

// The numbers of a company's documents: the highest ones in use in MovCTB, and the numerators
// NumDoc and NumDiar that hand out the next ones.

// A numerator row that a reservation needs and the database does not hold. The job that reserves
// words it as its own failure.
class MissingNumeratorError : public Error {
public:
    explicit MissingNumeratorError(QString message) : Error(std::move(message), 0) {}
};

// The highest document number of the type and series in the year, and the highest journal number
// of the journal in the year, both taken from MovCTB itself; 0 when there is none.
struct NumbersInUse {
    std::int64_t numDoc = 0;
    std::int64_t numDiario = 0;
};
NumbersInUse highestNumbersInUse(DataAccess& company, int year, const QString& tpDoc,
                                 const QString& serie, const QString& diario);
// The highest document number of the type and series in the year alone; 0 when there is none.
std::int64_t highestDocumentNumber(DataAccess& company, int year, const QString& tpDoc,
                                   const QString& serie);

// The numerators a document is numbered from: its year with its document type and series
// (NumDoc), and its year with its journal (NumDiar, the yearly row Mes 0).
struct DocumentNumbering {
    int year = 0;
    QString type;
    QString series;
    QString journal;
};

struct ReservedNumbers {
    int document = 0;  // NumDoc: the document's number
    int journal = 0;   // NumDiar: its journal number
    // The numerator held null (not 0) before this reservation: an undo puts null back.
    bool documentWasNull = false;
    bool journalWasNull = false;
};

// Reserves the next document and journal number of every document, in order: documents that share
// a numerator get consecutive numbers after its last one, in the order given, and the numerator
// ends at the last of them, as if each document had advanced it by one. Codes that the database
// takes for the same row ("fc" and "FC" under a case-blind collation) share that row's numbers.
// Runs inside the caller's transaction and holds each numerator from its first statement on: an
// UPDATE that changes nothing takes the row, which is then read (a null last number counts as 0 and
// is reported as null) and advanced by its count, so two imports at the same moment queue on the
// row instead of both reading the same last number. The UPDATEs go in a fixed order (by numerator),
// so two imports never wait on each other's rows crosswise.
//
// A numerator row that does not exist is an error (MissingNumeratorError): numbering from 1 again
// would repeat numbers already used. The check-up refuses such documents; the row can only have
// gone, or the document been edited, since.
std::vector<ReservedNumbers> reserveNumbers(DataAccess& company,
                                            const std::vector<DocumentNumbering>& documents);

}  // namespace agrimor
