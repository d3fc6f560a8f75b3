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

void Engine::insertGiven(const QString& sql, std::vector<Value>& row,
                         const std::vector<char>& given) {
    Params values;
    values.reserve(static_cast<qsizetype>(row.size()));
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (given[c])
            values.push_back(std::move(row[c]));
    }
    insert(sql, values);
}

std::unique_ptr<BoundInsert> Engine::prepareBoundInsert(const QString&) {
    return nullptr;
}

}  // namespace agrimor
