#pragma once

#include <sql.h>
#include <sqlext.h>

#include <QString>

#include "data/db_error.h"

// What the files of the ODBC engine share: return codes, UTF-16 texts and the errors a handle
// reports.
namespace agrimor::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the ODBC wide functions must take UTF-16");

inline bool failed(SQLRETURN rc) {
    return rc == SQL_ERROR || rc == SQL_INVALID_HANDLE;
}

inline SQLPOINTER integerAttribute(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

inline SQLWCHAR* wide(const QString& text) {
    return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
}

inline QString fromWide(const SQLWCHAR* text, qsizetype length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

// One error out of all the records a call left on `handle`: their messages joined (`fallback` when
// there is none, `suffix` appended), and the state and native code of the record that matters (a
// missing object first, then the first real error rather than a warning). `wideApi` says which
// entry points read the records: the narrow ones give UTF-8 on the drivers that lack wide ones.
DbError makeError(SQLSMALLINT handleType, SQLHANDLE handle, bool wideApi, const QString& fallback,
                  const QString& suffix = {});

}  // namespace agrimor::odbc
