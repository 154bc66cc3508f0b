#pragma once
// Work done ahead of the report: tasks run on worker threads and hand out
// their items as they make them, while the caller takes the items back
// strictly in the order of the tasks. At most `window` tasks are given out,
// and the items made and not yet taken stay within a byte budget: a task
// that would pass it waits until the caller has taken enough, unless it is
// the oldest (the one the caller takes from), which waits only for its own
// items. So memory stays flat however long the run and however large one
// task's output (an archive of a hundred thousand members). With one job
// there are no threads: a task runs when its items are taken, each going
// straight to the caller, which is the single-threaded search exactly. A
// task that throws throws from next() once its items before the throw are
// taken, however many jobs there are.
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

template <class Item> class OrderedPipeline {
  public:
    using Emit = std::function<void(Item)>;
    using Task = std::function<void(const Emit&)>;
    // An item's bytes, roughly.
    using Weigh = std::function<std::size_t(const Item&)>;

    OrderedPipeline(unsigned jobs, std::size_t window, std::size_t budget, Weigh weigh)
        : window_(std::max<std::size_t>(window, 1)), budget_(budget), weigh_(std::move(weigh)) {
        if (jobs > 1)
            for (unsigned i = 0; i < jobs; ++i)
                workers_.emplace_back([this] { work(); });
    }
    ~OrderedPipeline() {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
            // Tasks not started are dropped; running ones finish first, what
            // they still hand out dropped.
            for (auto& slot : slots_)
                if (!slot->started)
                    slot->started = slot->done = true;
        }
        wake_.notify_all();
        room_.notify_all();
        for (std::thread& t : workers_)
            t.join();
    }
    OrderedPipeline(const OrderedPipeline&) = delete;
    OrderedPipeline& operator=(const OrderedPipeline&) = delete;

    // True when the caller should take a task's items before giving more tasks.
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

    // Hands the oldest task's items to `take`, in order, as they come, until
    // the task has ended (running it, with one job). When `take` answers
    // false the task's other items are dropped and next answers false.
    template <class Take> bool next(Take&& take) {
        std::unique_lock lock(mutex_);
        const std::shared_ptr<Slot> slot = slots_.front();
        if (workers_.empty()) {
            slots_.pop_front();
            lock.unlock();
            bool more = true;
            slot->task([&](Item item) { more = more && take(item); });
            return more;
        }
        for (;;) {
            done_.wait(lock, [&] { return !slot->items.empty() || slot->done; });
            if (slot->items.empty())
                break;
            Item item = std::move(slot->items.front().first);
            const std::size_t bytes = slot->items.front().second;
            slot->items.pop_front();
            slot->bytes -= bytes;
            total_ -= bytes;
            room_.notify_all();
            lock.unlock();
            const bool more = take(item);
            lock.lock();
            if (!more) {
                dropSlot(slot);
                return false;
            }
        }
        dropSlot(slot);
        if (slot->error)
            std::rethrow_exception(slot->error);
        return true;
    }

  private:
    struct Slot {
        Task task;
        std::deque<std::pair<Item, std::size_t>> items; // made, not yet taken, with their bytes
        std::size_t bytes = 0;
        std::exception_ptr error;
        bool started = false;
        bool done = false;
        bool dropped = false; // taken no more: what it makes is dropped
    };

    // The slot leaves the list; its worker, if it still runs, hands out to no one.
    void dropSlot(const std::shared_ptr<Slot>& slot) {
        slot->dropped = true;
        total_ -= slot->bytes;
        slot->items.clear();
        slot->bytes = 0;
        slots_.pop_front();
        room_.notify_all();
    }

    // A worker's item for its slot, once there is room for it.
    void emit(const std::shared_ptr<Slot>& slot, Item item) {
        const std::size_t bytes = weigh_ ? weigh_(item) : 0;
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] {
            if (closing_ || slot->dropped)
                return true;
            const bool oldest = !slots_.empty() && slots_.front() == slot;
            return oldest ? slot->bytes < budget_ : total_ < budget_;
        });
        if (closing_ || slot->dropped)
            return;
        slot->items.emplace_back(std::move(item), bytes);
        slot->bytes += bytes;
        total_ += bytes;
        // The caller waits only for the oldest task, and is woken for a few
        // items at once rather than for each: a file's report is small.
        if (slots_.front() == slot &&
            (slot->items.size() >= kItemsPerWake || slot->bytes >= budget_ / 2))
            done_.notify_all();
    }

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
            std::exception_ptr error;
            try {
                slot->task([this, &slot](Item item) { emit(slot, std::move(item)); });
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
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

    static constexpr std::size_t kItemsPerWake = 32;
    const std::size_t window_;
    const std::size_t budget_;
    const Weigh weigh_;
    mutable std::mutex mutex_;
    std::condition_variable wake_; // a task to start
    std::condition_variable done_; // an item made, or a task ended
    std::condition_variable room_; // items taken: room to make more
    std::deque<std::shared_ptr<Slot>> slots_;
    std::size_t total_ = 0; // bytes made and not yet taken, of all slots
    std::vector<std::thread> workers_;
    bool closing_ = false;
};

} // namespace qs
