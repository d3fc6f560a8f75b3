#include "core/version.h"

#include "core/version_numbers.h"

namespace agrimor {

QString formatVersion(int major, int minor, int patch, int tweak) {
    Q_UNUSED(patch);
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(tweak);
}

QString programVersionText() {
    return formatVersion(AGRIMOR_VERSION_MAJOR, AGRIMOR_VERSION_MINOR, AGRIMOR_VERSION_PATCH,
                         AGRIMOR_VERSION_TWEAK);
}

}  // namespace agrimor
