#pragma once

#include <memory>

#include "data/data_access.h"
#include "data/data_folder.h"
#include "data/startup_error.h"

namespace agrimor {

// Reads the configuration (with its fallback), connects the shared data-access object to the
// consolidated database and brings the program's own tables up to date. Used by the program and
// by the batch command alike. The check of the servers leaves the tables as they are.
enum class OwnTables { BringUpToDate, LeaveAsTheyAre };
std::unique_ptr<DataAccess> openConsolidatedDatabase(
    const StartupFiles& files, OwnTables ownTables = OwnTables::BringUpToDate);

}  // namespace agrimor
