#pragma once

#include <QString>
#include <cstdint>

#include "core/month_counts.h"

namespace agrimor {

class DataAccess;

// Class-9 movements already in the company database for a month: MovCTB lines whose account
// begins with "9", of year `year`, whose document date falls in `month`. The document type is
// bound as a value, so any text (a quote included) is only data.

// Whether such a line exists under a document type other than `tpDoc` (the ERP's own).
bool hasErpClass9Lines(DataAccess& company, int year, int month, const QString& tpDoc);
// Whether such a line exists under `tpDoc` (an earlier integration).
bool hasIntegratedClass9Lines(DataAccess& company, int year, int month, const QString& tpDoc);

// The lines hasIntegratedClass9Lines() looks for, counted for each month of `year` in one
// statement.
MonthCounts integratedClass9LinesByMonth(DataAccess& company, int year, const QString& tpDoc);

enum class Class9Kind {
    OtherTypes = 0,  // document type other than the class-9 type: what the ERP generated
    ClassType = 1,   // the class-9 document type: what an earlier integration wrote
};

// Deletes the month's class-9 lines of that kind and returns how many went. Meant to run inside
// the confirmation's transaction; a failure propagates (DbError).
std::int64_t deleteClass9Lines(DataAccess& company, int year, int month, const QString& tpDoc,
                               Class9Kind kind);

}  // namespace agrimor
