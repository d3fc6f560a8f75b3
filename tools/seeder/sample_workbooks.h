#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "tools/seeder/demo_seeder.h"
#include "workbook/workbook_writer.h"

namespace agrimor::demo {

// The workbooks a user imports in the demo, each written as .xlsx and as .xls:
// - "Cambios": one sheet "Câmbios" (Moeda, Data, Câmbio) with every rate of the demo currency
//   that seedConsolidation() stores, in the same order (demoRates("USD")).
// - "Movimentos": one sheet "Movimentos" of general-accounting documents of December of the demo
//   year for the first company, on its master data and numerators, with the real date equal to
//   the document date: it reads and validates without an anomaly.
// - "Movimentos_Anomalias": one sheet "Movimentos" whose documents, "AN01" onwards, each carry one
//   kind of anomaly the import validation reports (Descr says which); it reads without error.
QString sampleFileName(const QString& base, WorkbookFormat format);
inline const QString kRateSample = QStringLiteral("Cambios");
inline const QString kMovementSample = QStringLiteral("Movimentos");
inline const QString kAnomalySample = QStringLiteral("Movimentos_Anomalias");

// Every file name writeSampleWorkbooks() writes.
QStringList sampleFileNames();

SheetData rateSampleSheet(const SeedOptions& options);
SheetData movementSampleSheet(const SeedOptions& options);
SheetData anomalySampleSheet(const SeedOptions& options);

// The movement sheet's header row (the 23 columns, in order) and a movement as a row of it under
// the given document key. Empty texts are empty cells; accounts made of digits are numbers, as a
// sheet typed by hand holds them; dates are date cells.
std::vector<Cell> movementHeader();
std::vector<Cell> movementRow(const Movement& line, const QString& documentKey);

// Writes the sample workbooks into `folder`, replacing files of those names, and returns their
// paths. Throws WorkbookError.
QStringList writeSampleWorkbooks(const QString& folder, const SeedOptions& options = {});

}  // namespace agrimor::demo
