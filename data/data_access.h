#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "connection_settings.h"
#include "dialect.h"
#include "recordset.h"
#include "value.h"

namespace agrimor {

// The data-access component: one connection to one database, on the engine that the connection
// settings choose. Statements use `?` placeholders and bound values. Every failure is a DbError.
class DataAccess {
public:
    DataAccess();
    ~DataAccess();
    DataAccess(const DataAccess&) = delete;
    DataAccess& operator=(const DataAccess&) = delete;

    // Opens the connection; an open one is closed first. A SQLite file that does not exist is an
    // error, never a new empty database; so is an existing file that is no database (its schema
    // is read before the connection counts as open).
    void connect(const ConnectionSettings& settings);
    // Takes an engine that is already connected (tests, tools).
    void adopt(std::shared_ptr<Engine> engine);
    // Releases the connection. Result sets already read stay usable.
    void close();
    bool isConnected() const { return engine_ != nullptr; }

    std::int64_t execute(const QString& sql, const Params& params = {});
    Recordset openReadOnly(const QString& sql, const Params& params = {});
    // Streams the rows of a query to `sink` without keeping them: for results too large for a
    // snapshot. Counts one round trip like openReadOnly.
    void queryEach(const QString& sql, const Params& params, RowSink& sink);
    // The rows of `table` that satisfy `where` (empty: all rows), ready to be changed.
    UpdatableRecordset openUpdatable(const QString& table, const QString& where = {},
                                     const Params& params = {}, const QString& orderBy = {});

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Statements and transaction commands sent to the database since the connection opened.
    std::int64_t roundTrips() const;
    const Dialect& dialect() const;
    Engine& engine();
    const ConnectionSettings& settings() const { return settings_; }

private:
    Engine& requireEngine() const;

    std::shared_ptr<Engine> engine_;
    ConnectionSettings settings_;
};

// Rolls back on scope exit unless commit() was reached, so a failure can never leave half of a
// write in the database.
class Transaction {
public:
    explicit Transaction(DataAccess& db) : db_(db) { db_.beginTransaction(); }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    DataAccess& db_;
    bool done_ = false;
};

}  // namespace agrimor
