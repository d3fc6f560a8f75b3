#include "core/companies.h"

namespace agrimor {

const QStringList& groupCompanyNames() {
    static const QStringList names{
        QStringLiteral("Velmor"),          QStringLiteral("Velmor Holding"),
        QStringLiteral("Velmor Mediação"), QStringLiteral("Velmor Norte"),
        QStringLiteral("Velmor Centro"),   QStringLiteral("Velmor Sul"),
    };
    return names;
}

}  // namespace agrimor
