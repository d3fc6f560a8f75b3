#pragma once

#include <QStringList>

namespace agrimor {

// agrimor-batch verificar [--company N] [--data-folder DIR]
// Checks, before going live, that the configured consolidated database and the companies'
// databases hold what the program needs, without changing anything (ledger/server_check.h): the
// consolidated database with the configuration's connection, then company N, or every company of
// the group, with its stored parameters. One line per check on standard output, "ok" or what is
// wrong. `arguments` are those after "verificar". Exit code: 0 every check passed, 2 something
// is wrong, 1 nothing could be checked (the consolidated database does not open, wrong arguments).
int runCheckCommand(const QStringList& arguments, const QString& executableFolder);

}  // namespace agrimor
