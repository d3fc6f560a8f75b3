#include "core/version.h"

#include <gtest/gtest.h>

namespace agrimor {
namespace {

TEST(Version, shows_major_minor_and_build_number_but_not_the_third) {
    EXPECT_EQ(formatVersion(26, 5, 0, 2), QStringLiteral("26.5.2"));
    EXPECT_EQ(formatVersion(1, 0, 7, 0), QStringLiteral("1.0.0"));
}

}  // namespace
}  // namespace agrimor
