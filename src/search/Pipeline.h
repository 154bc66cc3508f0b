#pragma once
// Work done ahead of the report: tasks run on worker threads while the
// caller takes their results back strictly in the order it gave them. At
// most `window` tasks are in flight, so memory stays flat however long the
// run. With one job there are no threads: a task runs when its result is
// taken, which is the single-threaded search exactly. A task that throws
// throws from next() when its result is taken, however many jobs there are.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qs {

template <class Result> class OrderedPipeline {
  public:
    using Task = std::function<Result()>;

    OrderedPipeline(unsigned jobs, std::size_t window) : window_(std::max<std::size_t>(window, 1)) {
        if (jobs > 1)
            for (unsigned i = 0; i < jobs; ++i)
                workers_.emplace_back([this] { work(); });
    }
    ~OrderedPipeline() {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
            // Tasks not started are dropped; running ones finish first.
            for (auto& slot : slots_)
                if (!slot->started)
                    slot->started = slot->done = true;
        }
        wake_.notify_all();
        for (std::thread& t : workers_)
            t.join();
    }
    OrderedPipeline(const OrderedPipeline&) = delete;
    OrderedPipeline& operator=(const OrderedPipeline&) = delete;

    // True when the caller should take a result before giving more tasks.
    bool full() const {
        const std::lock_guard lock(mutex_);
        return slots_.size() >= window_;
    }
    bool empty() const {
        const std::lock_guard lock(mutex_);
        return slots_.empty();
    }
    void submit(Task task) {
        auto slot = std::make_shared<Slot>();
        slot->task = std::move(task);
        {
            const std::lock_guard lock(mutex_);
            slots_.push_back(std::move(slot));
        }
        wake_.notify_one();
    }
    // The oldest task's result, waiting for it (or running it, with one job).
    Result next() {
        std::unique_lock lock(mutex_);
        const std::shared_ptr<Slot> slot = slots_.front();
        if (workers_.empty()) {
            slots_.pop_front();
            lock.unlock();
            return slot->task();
        }
        // It stays listed until done, so that a worker can still take it.
        done_.wait(lock, [&] { return slot->done; });
        slots_.pop_front();
        if (slot->error)
            std::rethrow_exception(slot->error);
        return std::move(slot->result);
    }

  private:
    struct Slot {
        Task task;
        Result result{};
        std::exception_ptr error;
        bool started = false;
        bool done = false;
    };

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            std::shared_ptr<Slot> slot;
            wake_.wait(lock, [&] {
                slot = closing_ ? nullptr : oldestWaiting();
                return closing_ || slot != nullptr;
            });
            if (closing_)
                return;
            slot->started = true;
            lock.unlock();
            Result result{};
            std::exception_ptr error;
            try {
                result = slot->task();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            slot->result = std::move(result);
            slot->error = error;
            slot->done = true;
            done_.notify_all();
        }
    }

    std::shared_ptr<Slot> oldestWaiting() const {
        for (const auto& slot : slots_)
            if (!slot->started)
                return slot;
        return nullptr;
    }

    const std::size_t window_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<std::shared_ptr<Slot>> slots_;
    std::vector<std::thread> workers_;
    bool closing_ = false;
};

} // namespace qs
