#include "intro/TickScheduler.h"

#include <algorithm>
#include <cstdint>

namespace qs::intro {

TickScheduler::Id TickScheduler::AddTimer(std::string name, int intervalMs,
                                          std::function<void()> tick) {
    timers_.push_back({std::move(name), std::max(intervalMs, 1), std::move(tick)});
    return timers_.size() - 1;
}

void TickScheduler::SetEnabled(Id timer, bool enabled) {
    Timer& t = timers_.at(timer);
    if (enabled && !t.enabled)
        t.due = now_ + t.interval;
    t.enabled = enabled;
}

TickScheduler::Id TickScheduler::Find(const std::string& name) const {
    for (Id i = 0; i < timers_.size(); ++i) {
        if (timers_[i].name == name)
            return i;
    }
    return SIZE_MAX;
}

void TickScheduler::DisableAll() {
    for (Timer& t : timers_)
        t.enabled = false;
}

void TickScheduler::After(std::int64_t delayMs, std::function<void()> work) {
    pending_.push_back({now_ + std::max<std::int64_t>(delayMs, 0), nextOrder_++, std::move(work)});
}

void TickScheduler::Advance(std::int64_t ms) {
    const std::int64_t target = now_ + std::max<std::int64_t>(ms, 0);
    for (;;) {
        // The earliest pending work, then the earliest enabled timer.
        auto work = std::min_element(pending_.begin(), pending_.end(),
                                     [](const Pending& a, const Pending& b) {
                                         return a.due != b.due ? a.due < b.due : a.order < b.order;
                                     });
        Id timer = SIZE_MAX;
        for (Id i = 0; i < timers_.size(); ++i) {
            if (timers_[i].enabled && (timer == SIZE_MAX || timers_[i].due < timers_[timer].due))
                timer = i;
        }
        const bool workDue = work != pending_.end() && work->due <= target;
        const bool timerDue = timer != SIZE_MAX && timers_[timer].due <= target;
        if (workDue && (!timerDue || work->due <= timers_[timer].due)) {
            now_ = work->due;
            std::function<void()> run = std::move(work->work);
            pending_.erase(work);
            run();
        } else if (timerDue) {
            Timer& t = timers_[timer];
            now_ = t.due;
            t.due += t.interval;
            // Copied: the tick may add timers and so move the vector.
            std::function<void()> tick = t.tick;
            tick();
        } else {
            break;
        }
    }
    now_ = target;
}

} // namespace qs::intro
