#pragma once

#include <QString>

namespace agrimor {

// A file the program runs or loads besides its executables (the .xls reader process, the SQLite
// extension). In the build tree it sits beside the running executable; installed, the
// executables are in <prefix>/bin and these files in <prefix>/AGRIMOR_PRIVATE_DIR (the top
// CMakeLists.txt: lib/<multiarch>/agrimor). The first of the two that exists, else the one
// beside the executable.
QString programFile(const QString& name);

}  // namespace agrimor
