#pragma once
// The about window's timers on one clock that someone else advances: in the
// window a real-time pump, in tests a fake clock that never sleeps. Timers keep
// the classic behaviour: enabling a stopped timer starts its interval afresh,
// enabling a running one changes nothing, and a tick comes once per interval.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qs::intro {

class TickScheduler {
  public:
    using Id = std::size_t;

    Id AddTimer(std::string name, int intervalMs, std::function<void()> tick);
    void SetEnabled(Id timer, bool enabled);
    bool Enabled(Id timer) const { return timers_.at(timer).enabled; }
    // The timer of that name, or SIZE_MAX.
    Id Find(const std::string& name) const;
    void DisableAll();

    // Runs `work` once, `delayMs` from now.
    void After(std::int64_t delayMs, std::function<void()> work);
    void CancelPending() { pending_.clear(); }

    // Moves the clock on, running every tick and pending work that falls due,
    // in time order (at equal times: pending work, then timers in the order added).
    void Advance(std::int64_t ms);
    std::int64_t Now() const { return now_; }

  private:
    struct Timer {
        std::string name;
        std::int64_t interval;
        std::function<void()> tick;
        bool enabled = false;
        std::int64_t due = 0;
    };
    struct Pending {
        std::int64_t due;
        std::uint64_t order;
        std::function<void()> work;
    };
    std::vector<Timer> timers_;
    std::vector<Pending> pending_;
    std::int64_t now_ = 0;
    std::uint64_t nextOrder_ = 0;
};

} // namespace qs::intro
