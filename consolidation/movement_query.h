#pragma once

#include <QString>

#include "consolidation/processing_input.h"

namespace agrimor {

// The company's class-9 movement lines of a period, every MovCTB column, in the order the
// consolidation regroups them: document type, number, year, series, line, account.
QString movementQuery(bool cumulative);
// The same lines' accounts only, in the same order.
QString movementAccountsQuery(bool cumulative);
// The distinct accounts of the same lines, in no particular order.
QString distinctMovementAccountsQuery(bool cumulative);
// Parameters of the three queries above.
Params movementParams(const Period& period);

}  // namespace agrimor
