#pragma once

#include <memory>

namespace agrimor {

class Engine;

// A log of every distinct statement text a connection sends, written as SQL Server receives it,
// so that the texts can be read by a T-SQL grammar where no server runs.
//
// It is off unless the environment variable AGRIMOR_STATEMENT_LOG names a folder. Then each ODBC
// connection's engine is wrapped, and every new statement text is appended to
// `<folder>/<process id>.jsonl` as one JSON object per line: {"sql": ..., "source": ...}, where the
// source is the executable's name and AGRIMOR_STATEMENT_SOURCE (the tests set it to the running
// test's name).
//
// On SQL Server the texts are logged as sent. On another product (the tests reach SQLite files
// through the ODBC driver) the connection still runs its own dialect's texts, but the log holds
// what the SQL Server dialect builds for the same request: each statement the dialect builds is
// built a second time by the SQL Server dialect and logged in place of the one sent, each piece
// it hands out (a date comparison, a date order) is replaced by the SQL Server piece, and the
// statements a dialect runs by itself (a column's retyping) are those of SQL Server, captured
// without being run. Every other text is the program's own and is logged as it stands.
std::shared_ptr<Engine> recordStatementsWhenAsked(std::shared_ptr<Engine> engine);

// While one is alive on a thread, the statements sent from that thread are not logged: for the
// statements that are never sent to SQL Server (the embedded ERP schema of the demo and tests)
// and for the tests' own reading of their results.
class StatementRecordingPause {
public:
    StatementRecordingPause();
    ~StatementRecordingPause();
    StatementRecordingPause(const StatementRecordingPause&) = delete;
    StatementRecordingPause& operator=(const StatementRecordingPause&) = delete;
};

}  // namespace agrimor
