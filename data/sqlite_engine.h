#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "engine.h"

struct sqlite3;

namespace agrimor {

// The embedded engine: the sqlite3 C API on one database file. Prepared statements are kept by
// their text and reused. The connection has month(), year() and the collation ci_rtrim.
class SqliteEngine : public Engine {
public:
    // Opens an existing file; a missing file is an error. `create` is for the seeder and tests.
    static std::unique_ptr<SqliteEngine> open(const QString& file, bool create = false);
    ~SqliteEngine() override;

    const Dialect& dialect() const override;
    void queryEach(const QString& sql, const Params& params, RowSink& sink) override;
    std::int64_t execute(const QString& sql, const Params& params) override;
    void insert(const QString& sql, const Params& row) override;
    void insertGiven(const QString& sql, std::vector<Value>& row,
                     const std::vector<char>& given) override;
    std::unique_ptr<BoundInsert> prepareBoundInsert(const QString& sql) override;
    void flush() override {}
    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    std::int64_t roundTrips() const override { return roundTrips_; }

    // Runs several schema statements separated by ';' (the seeder's); nothing is bound.
    void executeScript(const QString& script);
    sqlite3* handle() const { return db_; }

private:
    struct Statements;
    class Bound;
    SqliteEngine(sqlite3* db, QString file);

    sqlite3* db_;
    QString file_;
    std::unique_ptr<Statements> statements_;
    std::unique_ptr<Dialect> dialect_;
    std::int64_t roundTrips_ = 0;
    // The texts bound to the statement being run, written once and bound without a copy.
    std::vector<char> scratch_;
};

}  // namespace agrimor
