#pragma once

#include <QStringList>

namespace agrimor {

// The group's companies in the order the working screens list them (the consolidation screen's
// tabs); a company's position plus one is its number (BD).
const QStringList& groupCompanyNames();

}  // namespace agrimor
