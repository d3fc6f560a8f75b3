#include "data/engine.h"

namespace agrimor {

namespace {

// Keeps the snapshot of a whole result.
class CollectingSink : public RowSink {
public:
    explicit CollectingSink(RowSet& result) : result_(result) {}
    void columns(const QList<ColumnInfo>& columns) override { result_.columns = columns; }
    bool row(std::vector<Value>& values) override {
        result_.rows.push_back(std::move(values));
        return true;
    }

private:
    RowSet& result_;
};

}  // namespace

RowSet Engine::query(const QString& sql, const Params& params) {
    RowSet result;
    CollectingSink sink(result);
    queryEach(sql, params, sink);
    return result;
}

}  // namespace agrimor
