#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <initializer_list>
#include <memory>
#include <utility>

#include "data/data_access.h"
#include "movimport/import_tables.h"
#include "tests/support/test_databases.h"

namespace agrimor::test {

// A company database for the import, on the chosen engine, with the master data of 2024:
//   POC        6221, 221, 2432 (VAT account), 7111 (NivInt null), 9221, 9222 take movements;
//              62 is a heading (NivInt 1); 6999 exists only in 2023
//   TPDOC FC, FT; Sectores 01, 02; DIARIO 01, 02; RUBRORC R01; CCusto CC1; Custeio P1
//   PLAIVA     IVA23 (CNTIVA 2432) and ISE (no account) for 2024; PLFLUX F1 for 2024
//   Fornec     F1 and O'Brien; Clientes C1
//   NumDoc     2024 / series 1 / FC: 41; 2024 / 1 / FT: null
//   NumDiar    2024 / 01 / Mes 0: 7, (Mes 3: 500, not the yearly row); 2024 / 02 / Mes 0: null
class ImportCompany {
public:
    explicit ImportCompany(EngineKind kind);

    DataAccess& db() { return *db_; }
    QString folder() const { return folder_.path(); }
    QString fileName() const { return QStringLiteral("Empresa.db"); }
    EngineKind kind() const { return kind_; }
    // A second connection to the same database.
    std::unique_ptr<DataAccess> connectAgain() const;

    std::int64_t documentNumerator(const QString& type,
                                   const QString& series = QStringLiteral("1"));
    std::int64_t journalNumerator(const QString& journal);
    int movementCount();

private:
    EngineKind kind_;
    TempFolder folder_;
    std::unique_ptr<DataAccess> db_;
};

// The fixture of the import's service tests: a company of its own per test, on the engine the
// suite is instantiated with, and the lines to import.
class ImportTest : public ::testing::TestWithParam<EngineKind> {
protected:
    ImportTest() : company(GetParam()) {}

    ImportCompany company;
    ImportLinesTable lines;
};

// Appends a line to an import lines table: document `doc`, account, side and amount (text, as
// Money::parse reads it), and a clean purchase line of 05-03-2024 in every other column (series 1,
// type FC, sector 01, journal 01); `changes` then sets columns (an empty Value for an empty cell).
// The line's sheet row is its position + 2, as the reader numbers it.
using LineChanges = std::initializer_list<std::pair<int, Value>>;
void addLine(ImportLinesTable& lines, const QString& doc, const QString& conta, int dbCr,
             const QString& valor, LineChanges changes = {});

// A Value from a literal text.
inline Value text(const char* utf8) {
    return Value(QString::fromUtf8(utf8));
}

}  // namespace agrimor::test
