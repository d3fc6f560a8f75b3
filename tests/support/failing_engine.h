#pragma once

#include "data/db_error.h"
#include "data/engine.h"

namespace agrimor::test {

// The engine of a connection with a fault injected at the n-th write statement (insert, execute
// or commit); 0 counts the writes without failing. The failure is a DbError numbered 0 with the
// text "falha simulada na escrita <n>".
class FailingEngine : public Engine {
public:
    FailingEngine(Engine& inner, int failAt) : inner_(inner), failAt_(failAt) {}

    int writes() const { return writes_; }
    // Starts counting again, failing at `write` from now on.
    void failAt(int write) {
        failAt_ = write;
        writes_ = 0;
    }

    const Dialect& dialect() const override { return inner_.dialect(); }
    void queryEach(const QString& sql, const Params& params, RowSink& sink) override {
        inner_.queryEach(sql, params, sink);
    }
    std::int64_t execute(const QString& sql, const Params& params) override {
        write();
        return inner_.execute(sql, params);
    }
    void insert(const QString& sql, const Params& row) override {
        write();
        inner_.insert(sql, row);
    }
    void flush() override { inner_.flush(); }
    void begin() override { inner_.begin(); }
    void commit() override {
        write();
        inner_.commit();
    }
    void rollback() override { inner_.rollback(); }
    bool inTransaction() const override { return inner_.inTransaction(); }
    std::int64_t roundTrips() const override { return inner_.roundTrips(); }

private:
    void write() {
        if (++writes_ == failAt_)
            throw DbError(0, QStringLiteral("falha simulada na escrita %1").arg(writes_));
    }

    Engine& inner_;
    int failAt_;
    int writes_ = 0;
};

}  // namespace agrimor::test
