#pragma once

#include <QString>

namespace agrimor {

// A file the program runs or loads besides its executables (the .xls reader process, the SQLite
// extension). In the build tree it sits beside the running executable; installed, the
// executables are in <prefix>/bin and these files in <prefix>/lib/agrimor. The first of the two
// that exists, else the one beside the executable (so a message names where it was expected in
// the build tree).
QString programFile(const QString& name);

// The same, from `executableFolder` instead of the running executable's folder.
QString programFile(const QString& name, const QString& executableFolder);

}  // namespace agrimor
