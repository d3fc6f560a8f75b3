#include "workbook/row_pipeline.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "workbook/workbook.h"

namespace agrimor {

namespace {

constexpr std::size_t kBatchRows = 256;
constexpr std::size_t kMaxBatches = 4;

// Rows as they travel: numbers, and the cells of all of them one after another.
struct Batch {
    std::vector<int> rows;
    std::vector<std::size_t> ends;  // where each row's cells end in `cells`
    std::vector<Cell> cells;
};

// The reader stops when the caller gave up.
struct Stopped {};

class Channel : public CellRowSink {
public:
    // Reading side.
    void statedRange(std::optional<CellRange> range) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        stated_ = range;
        hasStated_ = true;
        changed_.notify_all();
    }
    void row(int sheetRow, std::span<const Cell> cells) override {
        filling_.rows.push_back(sheetRow);
        filling_.cells.insert(filling_.cells.end(), cells.begin(), cells.end());
        filling_.ends.push_back(filling_.cells.size());
        if (filling_.rows.size() >= kBatchRows)
            send();
    }
    void send() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stopped_ || full_.size() < kMaxBatches; });
        if (stopped_)
            throw Stopped{};
        full_.push_back(std::move(filling_));
        filling_ = Batch();
        filling_.cells.reserve(kBatchRows * 24);
        changed_.notify_all();
    }
    void finish(std::exception_ptr failure) {
        const std::lock_guard<std::mutex> lock(mutex_);
        failure_ = failure;
        finished_ = true;
        changed_.notify_all();
    }

    // Calling side: hands every row to `sink`, then rethrows what the reading threw.
    void deliver(CellRowSink& sink) {
        bool announced = false;
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(
                lock, [&] { return finished_ || !full_.empty() || (hasStated_ && !announced); });
            if (hasStated_ && !announced) {
                announced = true;
                const std::optional<CellRange> stated = stated_;
                lock.unlock();
                sink.statedRange(stated);
                continue;
            }
            if (full_.empty()) {  // finished
                if (failure_)
                    std::rethrow_exception(failure_);
                return;
            }
            const Batch batch = std::move(full_.front());
            full_.pop_front();
            changed_.notify_all();
            lock.unlock();
            std::size_t begin = 0;
            for (std::size_t r = 0; r < batch.rows.size(); ++r) {
                sink.row(batch.rows[r],
                         std::span<const Cell>(batch.cells.data() + begin, batch.ends[r] - begin));
                begin = batch.ends[r];
            }
        }
    }
    void stop() {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

private:
    Batch filling_;  // the reading side's only

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> full_;
    std::optional<CellRange> stated_;
    bool hasStated_ = false;
    bool finished_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

}  // namespace

void readOnOtherThread(const std::function<void(CellRowSink&)>& read, CellRowSink& sink) {
    Channel channel;
    std::thread reader([&] {
        std::exception_ptr failure;
        try {
            read(channel);
        } catch (const Stopped&) {
            channel.finish(nullptr);
            return;
        } catch (...) {
            failure = std::current_exception();
        }
        // The rows read before a failure reach the caller before it does.
        try {
            channel.send();
        } catch (const Stopped&) {
        }
        channel.finish(failure);
    });
    try {
        channel.deliver(sink);
    } catch (...) {
        channel.stop();
        reader.join();
        throw;
    }
    reader.join();
}

}  // namespace agrimor
