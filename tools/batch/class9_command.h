#pragma once

#include <QStringList>

namespace agrimor {

// agrimor-batch classe9 --company N --year Y --month M --tpdoc T --serie S --diario D
//               [--reload] [--yes] [--data-folder DIR]
// The class-9 screen's load and confirmation without a screen: the same services, every message
// printed. Questions are answered OK with --yes and Cancel without it, except "Pretende carregar
// esses movimentos?", which --reload answers OK (reload the integrated lines) and its absence
// Cancel (derive them again, replacing the integration). Before writing, the lines left without
// a class-9 account are printed and nothing is written. A type, series or journal longer than
// the screen's field (MovCTB's column) is refused as a wrong argument.
// `arguments` are those after "classe9". Exit code: 0 written, 2 class-9 accounts missing,
// 1 error, cancelled, nothing to write or wrong arguments.
int runClass9Command(const QStringList& arguments);

}  // namespace agrimor
