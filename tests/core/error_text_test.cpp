#include "core/error_text.h"

#include <gtest/gtest.h>

#include "data/db_error.h"
#include "workbook/workbook_error.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

TEST(ErrorText, the_number_comes_first_only_where_the_screen_shows_it) {
    const WorkbookError missing(WorkbookError::kFileNotFound,
                                u"O ficheiro não existe: /tmp/x.xls"_s);
    EXPECT_EQ(errorText(missing, ErrorNumber::Shown), u"53 - O ficheiro não existe: /tmp/x.xls"_s);
    EXPECT_EQ(errorText(missing), u"O ficheiro não existe: /tmp/x.xls"_s);

    // Caught as the base, a database error keeps its provider number; what() is the same text.
    try {
        throw DbError(DbError::kMissingTable, u"no such table: Ação"_s);
    } catch (const Error& error) {
        EXPECT_EQ(errorText(error, ErrorNumber::Shown), u"-2147217865 - no such table: Ação"_s);
        EXPECT_EQ(QString::fromUtf8(error.what()), error.message());
    }
}

}  // namespace
}  // namespace agrimor
