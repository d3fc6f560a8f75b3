#pragma once

#include <QMap>
#include <QPair>
#include <QString>
#include <span>

namespace agrimor {
class DataAccess;
}

// The demo's master data as the movement generator draws from it: the codes it picks, the
// parties it invoices, the expense accounts with their VAT and amounts, and the numerators it
// keeps. seedMasterData() (demo_seeder.h) writes the same tables into every database.
namespace agrimor::demo {

struct CodeDef {
    const char* code;
    const char* descr;
};

struct DocTypeDef {
    const char* code;
    const char* descr;
    const char* journal;
};

struct VatDef {
    const char* code;
    const char* descr;
    int rate;  // percent
    const char* account;
};

struct PartyDef {
    const char* code;
    const char* name;
    const char* locality;
    const char* accounts;  // suppliers: the expense accounts they invoice, space-separated
};

struct ExpenseDef {
    const char* account;
    const char* vat;
    int minimum;  // whole units of the company's currency
    int maximum;
};

std::span<const CodeDef> sectors();
std::span<const CodeDef> journals();
std::span<const CodeDef> costCentres();
std::span<const DocTypeDef> documentTypes();
std::span<const PartyDef> suppliers();
std::span<const PartyDef> customers();

// The definition of an expense account or a VAT code the tables hold (a logic error otherwise).
const ExpenseDef& expense(const QString& account);
const VatDef& vatCode(const QString& code);

// A Portuguese company tax number: 5, seven digits made from `seed`, the check digit.
QString taxNumber(int seed);

// The costing codes whose lines the class-9 integration posts to projectAccount() whatever the
// chart says.
bool isProjectCosting(const QString& custeio);
QString projectAccount();

// Last numbers used, per document type and per journal, and documents per journal and month.
struct Numbering {
    QMap<QString, int> documents;
    QMap<QString, int> journals;
    QMap<QPair<QString, int>, int> journalMonths;
};

// NumDoc and NumDiar for the year before `year` (all zero) and for `year` as `numbering` leaves
// them; a database without movements gets an empty numbering.
void writeNumerators(DataAccess& db, int year, const Numbering& numbering);

}  // namespace agrimor::demo
