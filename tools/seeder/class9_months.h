#pragma once

#include "tools/seeder/demo_seeder.h"

namespace agrimor::demo {

// What the demo adds to a company so that the class-9 screen meets every branch of its load in
// the month left for integration (the last month, when it is after the integrated months):
// - for every company, one document "OD" that charges travel costs (6251) to the projects with
//   the costing codes P00631 and P00763, whose lines go to 96112 instead of the chart's 96251
//   (the generated documents hold such lines only by chance);
// - for the first company, one cash expense "CX" on 6881, an account the chart maps to no
//   class-9 account, so the derivation leaves its class-9 account for the user to fill in; the
//   other companies' month can be written as derived;
// - for the companies with an odd number, a document of class-9 lines that the ERP generated
//   itself under the type "AN9" (journal 09), which loading the month offers to delete.
// The other companies' month has no class-9 lines at all; the integrated months have theirs
// under "CL9". Numerators are kept in step and `summary` counts the added documents and lines.
void seedClass9Months(DataAccess& db, const Company& company, const SeedOptions& options,
                      CompanySummary& summary);

// The document type of the ERP's own class-9 lines in the demo.
inline const QString kErpClass9Type = QStringLiteral("AN9");

}  // namespace agrimor::demo
