#include "data/sqlite_functions.h"

#ifdef AGRIMOR_SQLITE_LOADABLE
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

#include <QString>

namespace agrimor {

namespace {

// Dates are held as 'yyyy-mm-dd[ hh:mm:ss]' text; month() and year() read the digits.
int datePart(sqlite3_value* value, int offset, int length) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text)
        return -1;
    int result = 0;
    for (int i = 0; i < offset + length; ++i) {
        if (text[i] == '\0')
            return -1;
        if (i < offset)
            continue;
        if (text[i] < '0' || text[i] > '9')
            return -1;
        result = result * 10 + (text[i] - '0');
    }
    return result;
}

void dateFunction(sqlite3_context* context, sqlite3_value** argv, int offset, int length) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const int part = datePart(argv[0], offset, length);
    if (part < 0)
        sqlite3_result_null(context);
    else
        sqlite3_result_int(context, part);
}

void monthFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    dateFunction(context, argv, 5, 2);
}

void yearFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    dateFunction(context, argv, 0, 4);
}

// Case-insensitive, trailing spaces ignored: what SQL Server's default collation does with '='.
int compareCiRtrim(void*, int lengthA, const void* a, int lengthB, const void* b) {
    auto trimmed = [](const char* text, int length) {
        while (length > 0 && text[length - 1] == ' ')
            --length;
        return QString::fromUtf8(text, length);
    };
    const QString left = trimmed(static_cast<const char*>(a), lengthA);
    const QString right = trimmed(static_cast<const char*>(b), lengthB);
    return left.compare(right, Qt::CaseInsensitive);
}

}  // namespace

int registerSqlServerFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function(db, "month", 1, flags, nullptr, monthFunction, nullptr,
                                     nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "year", 1, flags, nullptr, yearFunction, nullptr,
                                     nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation(db, "ci_rtrim", SQLITE_UTF8, nullptr, compareCiRtrim);
    return rc;
}

}  // namespace agrimor
