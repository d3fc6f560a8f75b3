#pragma once

#include <QString>
#include <memory>

#include "engine.h"

namespace agrimor {

// The ODBC 3 engine (unixODBC): SQL Server through the FreeTDS driver in production, SQLite files
// through the SQLite ODBC driver in the tests. The dialect is chosen from the product the driver
// reports. Inside a transaction, inserts of the same statement are held back and sent with
// column-wise array binding, many rows per round trip (outside one each insert goes at once);
// results are read with columns bound to arrays, a block of rows per
// fetch.
class OdbcEngine : public Engine {
public:
    // Connects with a DSN-less connection string; the login timeout is set before connecting.
    static std::unique_ptr<OdbcEngine> connect(const QString& connectionString,
                                               int loginTimeoutSeconds, int queryTimeoutSeconds);
    ~OdbcEngine() override;

    const Dialect& dialect() const override;
    void queryEach(const QString& sql, const Params& params, RowSink& sink) override;
    std::int64_t execute(const QString& sql, const Params& params) override;
    void insert(const QString& sql, const Params& row) override;
    void flush() override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    std::int64_t roundTrips() const override;

    // Rows sent per array-bound insert.
    static constexpr int kBatchRows = 500;
    // Rows read per fetch at most, when every column of a result can be bound.
    static constexpr int kFetchRows = 256;

private:
    struct Impl;
    explicit OdbcEngine(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace agrimor
