#include "consolidation/processing_input.h"

#include "consolidation/consolidation_error.h"
#include "core/year_field.h"

namespace agrimor {

int parseYear(const QString& yearText) {
    const std::optional<int> year = parseYearField(yearText, 0);
    if (!year)
        throw ConsolidationError(invalidYearMessage(yearText));
    return *year;
}

}  // namespace agrimor
