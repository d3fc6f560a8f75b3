#include "core/error_text.h"

#include <gtest/gtest.h>

#include "data/db_error.h"
#include "workbook/workbook_error.h"

namespace agrimor {
namespace {

TEST(ErrorText, the_number_comes_first_only_where_the_screen_shows_it) {
    const WorkbookError missing(WorkbookError::kFileNotFound,
                                QStringLiteral("O ficheiro não existe: /tmp/x.xls"));
    EXPECT_EQ(errorText(missing, ErrorNumber::Shown),
              QStringLiteral("53 - O ficheiro não existe: /tmp/x.xls"));
    EXPECT_EQ(errorText(missing), QStringLiteral("O ficheiro não existe: /tmp/x.xls"));

    // Caught as the base, a database error keeps its provider number; what() is the same text.
    try {
        throw DbError(DbError::kMissingTable, QStringLiteral("no such table: Ação"));
    } catch (const Error& error) {
        EXPECT_EQ(errorText(error, ErrorNumber::Shown),
                  QStringLiteral("-2147217865 - no such table: Ação"));
        EXPECT_EQ(QString::fromUtf8(error.what()), error.message());
    }
}

}  // namespace
}  // namespace agrimor
