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
    const auto* left = static_cast<const unsigned char*>(a);
    const auto* right = static_cast<const unsigned char*>(b);
    while (lengthA > 0 && left[lengthA - 1] == ' ')
        --lengthA;
    while (lengthB > 0 && right[lengthB - 1] == ' ')
        --lengthB;
    // Codes and accounts are ASCII: compare them byte by byte, folding case where two bytes
    // differ. From the first byte that is not ASCII on either side, Unicode case folding decides
    // (the bytes before it are the same on both sides).
    const int common = lengthA < lengthB ? lengthA : lengthB;
    for (int i = 0; i < common; ++i) {
        unsigned char l = left[i];
        unsigned char r = right[i];
        if (l == r)
            continue;
        if ((l | r) & 0x80)
            return QString::fromUtf8(reinterpret_cast<const char*>(left), lengthA)
                .compare(QString::fromUtf8(reinterpret_cast<const char*>(right), lengthB),
                         Qt::CaseInsensitive);
        if (l >= 'A' && l <= 'Z')
            l += 'a' - 'A';
        if (r >= 'A' && r <= 'Z')
            r += 'a' - 'A';
        if (l != r)
            return l < r ? -1 : 1;
    }
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

}  // namespace

int registerSqlServerFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc =
        sqlite3_create_function(db, "month", 1, flags, nullptr, monthFunction, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "year", 1, flags, nullptr, yearFunction, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation(db, "ci_rtrim", SQLITE_UTF8, nullptr, compareCiRtrim);
    return rc;
}

}  // namespace agrimor
