#include "core/year_field.h"

#include <gtest/gtest.h>

namespace agrimor {
namespace {

// The two jobs' bounds differ: the consolidation takes year 0 and leading zeros, the class-9
// integration neither; both refuse what a smallint year column cannot hold.
TEST(YearField, each_job_keeps_its_bounds) {
    const auto consolidation = [](const char* text) {
        return parseYearField(QString::fromLatin1(text), 0);
    };
    const auto class9 = [](const char* text) {
        return parseYearField(QString::fromLatin1(text), 1, 5);
    };
    EXPECT_EQ(consolidation(" 2024 "), 2024);
    EXPECT_EQ(class9(" 2024 "), 2024);
    EXPECT_EQ(consolidation("0"), 0);
    EXPECT_FALSE(class9("0"));
    EXPECT_EQ(consolidation("0000002024"), 2024);
    EXPECT_FALSE(class9("0000002024"));
    for (const char* refused : {"", "  ", "20x4", "-2024", "2024.5", "32768", "99999999999"}) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(consolidation(refused));
        EXPECT_FALSE(class9(refused));
    }
    EXPECT_EQ(consolidation("32767"), 32767);
}

}  // namespace
}  // namespace agrimor
