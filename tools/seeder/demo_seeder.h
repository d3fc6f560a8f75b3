#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/error.h"
#include "data/money.h"
#include "data/value.h"

namespace agrimor {

class DataAccess;

// Builds the embedded demo: a folder with everything the program needs to run on SQLite.
//
// What the folder holds after seedDemo():
// - "Agrimor.zeb", the configuration file, naming "Consolidado.db" on server "sqlite", user "demo"
//   and an empty password.
// - "Consolidado.db", the consolidated company's database: the ERP tables with the group's chart
//   of accounts (class-9 accounts and the rounding account 9999 included) for the demo year and
//   the year before, the document types (the consolidation type "CNS" among them), journals and
//   the other master tables, no movements; and the program's own tables:
//   - zeb_CNS_DadosIniciais: one row per company (BD 1..6): sector "01", document type "CNS" with
//     the company's number as series (each company's consolidated documents are told apart by
//     it), rounding account "9999", currency, class-9 type "CL9", series "1", journal "09", single
//     month (AteMes 0), nothing integrated yet (UltimoMes empty);
//   - zeb_CNS_Parametros: one row per company, server "sqlite", the company's file name (relative
//     to the folder) as Empresa, user "demo", empty password;
//   - zeb_CNS_Cambios: USD rates (units of USD per euro, 4 decimals) four times a month for every
//     month of the year before the demo year and of the demo year.
// - One database file per company, in the group's order: "Velmor.db", "VelmorHolding.db",
//   "VelmorMediacao.db", "VelmorNorte.db", "VelmorCentro.db", "VelmorSul.db". "Velmor Sul" keeps
//   its books in USD, the others in EUR. Each holds the same master data as the consolidated
//   database (chart of accounts for both years with cl9dd/cl9cc mappings to class-9 accounts,
//   NivInt 0 on postable accounts and 1 on the headings above them; document types, journals,
//   sectors, cost centres, costing codes P00631 and P00763 included, budget headings, VAT codes
//   with their VAT accounts, cash-flow codes, suppliers and customers) and movements (about 350
//   lines per company with the default options) of the demo year 2026, months 1 to 11:
//   - balanced general-accounting documents: purchase invoices "FC" (journal 01), sales invoices
//     "FT" (02), cash expenses "CX" (03), receipts "RC" and payments "PG" (04), payroll "SAL"
//     (05), series "1", numbered per type and per journal in date order, on weekdays, with
//     Nat 2, Statac 2, Exercicio = Ano and Mes = the month of DataDoc;
//   - for months 1 to 10, the class-9 documents "CL9" (journal 09) that integrating those months
//     writes: one per general document, one line per general line on the mapped class-9 account
//     (96112 for costing codes P00631 and P00763), Ref = the source line's key; month 11 is left
//     for the class-9 screen to integrate, with what class9_months.h adds to it (a document
//     "OD" with the costing codes P00631 and P00763, an expense on an unmapped account, and for
//     some companies the ERP's own class-9 lines);
//   - for a company in a foreign currency, three more cash expenses "CX" at the end of month 10
//     whose base and VAT, each converted at that month's mean rate, come a cent away from the
//     converted total, so consolidating the month writes rounding lines (drawn from a sequence
//     of their own: the other documents are the same as without them);
//   - NumDoc and NumDiar numerators that agree with the movements, for both years.
// - Sample workbooks to import, each as .xlsx and .xls (sample_workbooks.h): the rates
//   "Cambios", the movements "Movimentos" (clean) and "Movimentos_Anomalias".
// Everything is deterministic: the same options give the same rows.
namespace demo {

inline constexpr int kDemoYear = 2026;

struct Company {
    int bd;            // the company's number, its position in the group's list
    QString name;      // as the program lists it
    QString file;      // database file name, relative to the demo folder
    QString currency;  // "EUR" or the currency of its books
};

// The group's six companies, in the program's order.
const QList<Company>& companies();
QString consolidatedFileName();  // "Consolidado.db"
QString configFileName();        // "Agrimor.zeb"

struct SeedOptions {
    // Approximate number of movement lines per company (general and class-9 lines together).
    int movementLines = 350;
    int year = kDemoYear;
    int lastMonth = 11;     // months 1..lastMonth hold general-accounting documents
    int class9Months = 10;  // months 1..class9Months hold their class-9 documents
    std::uint64_t seed = 2026;
    // Replace files that exist; without it an existing file stops the seeding untouched.
    bool force = false;
    // Companies seeded at the same time (each company is its own file and connection).
    int threads = 2;
};

struct CompanySummary {
    int bd = 0;
    std::int64_t documents = 0;  // general and class-9 documents
    std::int64_t lines = 0;      // MovCTB rows
};

// A file the demo would write exists already and `force` is not set.
class ExistingFileError : public Error {
public:
    explicit ExistingFileError(const QString& file);
    const QString& file() const { return file_; }

private:
    QString file_;
};

struct SeedSummary {
    QString folder;
    std::vector<CompanySummary> companies;
    std::int64_t documents() const;
    std::int64_t lines() const;
};

// Builds the whole demo in `folder` (created when missing). Throws ExistingFileError before
// touching anything when a file exists and `force` is not set, DbError for database failures
// (after removing what it had written).
SeedSummary seedDemo(const QString& folder, const SeedOptions& options = {});

// One MovCTB row. Left at their defaults, Ano and Exercicio take the year of DataDoc, Mes its
// month, DtReal and DataR the DataDoc, DataAl the DataR and SystemEntryDate the DataR at 18:00.
struct Movement {
    int ano = 0;
    int mes = 0;
    QString tpDoc;
    QString serie = QStringLiteral("1");
    int numDoc = 0;
    int numLinha = 0;
    QString conta;
    int dbCr = 1;
    Money valor;
    QDate dataDoc;
    int nat = 2;
    int statac = 2;
    int exercicio = 0;
    QString diario;
    int numDiari = 0;
    int tpTerc = 0;
    QString terc;
    QString ref;
    QString descr;
    QString sector;
    QString rubOrc;
    QString cCustOrc;
    QString nCont;
    QString codIva;
    QString codFlu;
    QString custeio;
    QString operador;
    QDate dtReal;
    QString linCC;
    int versao = 0;
    int origem = 0;
    int ligado = 1;
    QString erroCtb;
    int mnlAut = 0;
    QDate dataR;
    QDate dataAl;
    QDateTime systemEntryDate;
    int mvDes = 0;
    int ctResp = 0;
    Money valorBase;
};

// A new SQLite file with the ERP tables, connected. Throws ExistingFileError when it exists.
std::unique_ptr<DataAccess> createCompanyDatabase(const QString& file);
// An existing SQLite file, connected.
std::unique_ptr<DataAccess> openDatabase(const QString& file);

// The group's master data for each of `years` (chart of accounts, VAT and cash-flow codes) and
// the tables that are not per year. Written through updatable result sets in one transaction.
void seedMasterData(DataAccess& db, const QList<int>& years);

// Inserts the rows with one reused prepared statement; inside the caller's transaction, or in one
// of its own when none is open.
void insertMovements(DataAccess& db, const std::vector<Movement>& lines);

// The MovCTB columns a movement fills (all but DBTS), and a movement's values in that order, with
// the defaults above applied and dates as date values.
const QStringList& movementColumns();
Params movementValues(const Movement& line);

// The demo movements of one company, general and class-9, in the order seedMovements() writes
// them.
std::vector<Movement> demoMovements(const Company& company, const SeedOptions& options);

// The demo movements of one company and the numerators that go with them. Deterministic for a
// given company and options.
CompanySummary seedMovements(DataAccess& db, const Company& company, const SeedOptions& options);

// The program's own tables on the consolidated database and their demo rows: settings and
// connection parameters for every company, and the rates of every foreign currency.
void seedConsolidation(DataAccess& db, const SeedOptions& options);

// The rates seedConsolidation() writes for `currency` (empty for "EUR"), oldest first.
struct Rate {
    QDate date;
    Money rate;
};
std::vector<Rate> demoRates(const QString& currency, const SeedOptions& options);

// The demo chart's class-9 account for a general account, as cl9dd (debit) or cl9cc (credit)
// give it; empty when the account has none.
QString class9Account(const QString& account, int dbCr);

// Writes the configuration file naming an embedded consolidated database.
void writeConfigFile(const QString& folder, const QString& databaseFile);

}  // namespace demo
}  // namespace agrimor
