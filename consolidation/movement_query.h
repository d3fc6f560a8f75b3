#pragma once

#include <QString>

#include "consolidation/processing_input.h"
#include "data/value.h"

namespace agrimor {

// The month filter of every statement that reads or deletes a period's movements: months 1 to
// the chosen month, or the chosen month only, as a fragment to put after WHERE or AND. Its
// parameters come from periodParams(). periodFilterAnd() is the same followed by "AND".
QString periodFilter(bool cumulative);
QString periodFilterAnd(bool cumulative);
Params periodParams(const Period& period);

// The company's class-9 movement lines of a period, every MovCTB column, in the order the
// consolidation regroups them: document type, number, year, series, line, account.
QString movementQuery(bool cumulative);
// The same lines' accounts only, in the same order.
QString movementAccountsQuery(bool cumulative);
// The distinct accounts of the same lines with the number of lines on each (`Conta`, `Linhas`),
// in no particular order.
QString movementAccountCountsQuery(bool cumulative);
// Parameters of the three queries above.
Params movementParams(const Period& period);

}  // namespace agrimor
