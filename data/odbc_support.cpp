#include "data/odbc_support.h"

#include <sqlucode.h>

#include <QStringList>
#include <algorithm>
#include <type_traits>
#include <vector>

namespace agrimor::odbc {

namespace {

struct Diagnostic {
    QString state;
    std::int64_t native = 0;
    QString message;
};

// One diagnostic record through the wide or the narrow (UTF-8) entry point; false when there is
// no such record.
template <typename Char>
bool readDiagnostic(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record, Diagnostic& out) {
    Char state[6] = {};
    SQLINTEGER native = 0;
    std::vector<Char> text(1024);
    SQLSMALLINT length = 0;
    const auto call = [&] {
        if constexpr (std::is_same_v<Char, SQLWCHAR>)
            return SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                  static_cast<SQLSMALLINT>(text.size()), &length);
        else
            return SQLGetDiagRec(handleType, handle, record, state, &native, text.data(),
                                 static_cast<SQLSMALLINT>(text.size()), &length);
    };
    SQLRETURN rc = call();
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
        text.resize(static_cast<std::size_t>(length) + 1);
        rc = call();
    }
    if (!SQL_SUCCEEDED(rc))
        return false;
    length = std::clamp<SQLSMALLINT>(length, 0, static_cast<SQLSMALLINT>(text.size() - 1));
    if constexpr (std::is_same_v<Char, SQLWCHAR>) {
        out = {fromWide(state, 5), native, fromWide(text.data(), length).trimmed()};
    } else {
        out = {QString::fromUtf8(reinterpret_cast<const char*>(state), 5), native,
               QString::fromUtf8(reinterpret_cast<const char*>(text.data()), length).trimmed()};
    }
    return true;
}

std::vector<Diagnostic> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool wide) {
    std::vector<Diagnostic> records;
    if (handle == SQL_NULL_HANDLE)
        return records;
    Diagnostic record;
    for (SQLSMALLINT number = 1; number < 64; ++number) {
        const bool found = wide ? readDiagnostic<SQLWCHAR>(handleType, handle, number, record)
                                : readDiagnostic<SQLCHAR>(handleType, handle, number, record);
        if (!found)
            break;
        records.push_back(record);
    }
    return records;
}

}  // namespace

DbError makeError(SQLSMALLINT handleType, SQLHANDLE handle, bool wideApi, const QString& fallback,
                  const QString& suffix) {
    const std::vector<Diagnostic> records = readDiagnostics(handleType, handle, wideApi);
    QStringList messages;
    for (const Diagnostic& record : records) {
        if (!record.message.isEmpty() && !messages.contains(record.message))
            messages.append(record.message);
    }
    QString message = messages.isEmpty() ? fallback : messages.join(QLatin1Char('\n'));
    if (!suffix.isEmpty())
        message += suffix;

    const Diagnostic* primary = nullptr;
    for (const Diagnostic& record : records) {
        const std::int64_t number = classifyError(record.state, record.native, record.message);
        if (number == DbError::kMissingTable || number == DbError::kInvalidColumn) {
            primary = &record;
            break;
        }
        if (!primary && !record.state.startsWith(QLatin1String("01")))
            primary = &record;
    }
    if (!primary && !records.empty())
        primary = &records.front();
    const QString state = primary ? primary->state : QStringLiteral("HY000");
    const std::int64_t native = primary ? primary->native : 0;
    return DbError(classifyError(state, native, message), message, state, native);
}

}  // namespace agrimor::odbc
