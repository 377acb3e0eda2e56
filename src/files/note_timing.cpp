#include "files/note_timing.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace zembera {

NoteClock::NoteClock(const LoopHooks& hooks, std::function<LoopEvent()> check)
    : hooks_(hooks), check_(std::move(check)) {}

LoopEvent NoteClock::eventRound() {
    hooks_.processEvents();
    const LoopEvent event = check_();
    if (event == LoopEvent::paused) {
        next_ = hooks_.nowMs();
        pausedSinceDraw_ = true;
    }
    return event;
}

LoopEvent NoteClock::waitUntil(double targetMs) {
    for (;;) {
        double remaining = targetMs - hooks_.nowMs();
        if (remaining <= 0) return LoopEvent::none;
        if (remaining > kEventMarginMs) {
            const LoopEvent event = eventRound();
            if (event != LoopEvent::none) return event;
            remaining = targetMs - hooks_.nowMs();
            if (remaining <= 0) return LoopEvent::none;
        }
        hooks_.sleepMs(std::min(remaining, kSliceMs));
    }
}

bool NoteClock::waitToDraw() {
    if (started_) {
        const double lead = std::min(drawCost_ + startCost_, kMaxLeadMs);
        const double target = next_ - lead;
        if (waitUntil(target) == LoopEvent::stopped) return false;
    }
    drawStart_ = hooks_.nowMs();
    pausedSinceDraw_ = false;
    return true;
}

bool NoteClock::handleEvents() {
    return eventRound() != LoopEvent::stopped;
}

bool NoteClock::waitOnset() {
    const double now = hooks_.nowMs();
    if (!pausedSinceDraw_) drawCost_ = std::max(0.0, now - drawStart_);
    if (!started_) {
        started_ = true;
        next_ = now;
    } else {
        // After a pause the note starts at once.
        if (waitUntil(next_ - std::min(startCost_, kMaxLeadMs)) == LoopEvent::stopped) return false;
    }
    onsetAt_ = hooks_.nowMs();
    return true;
}

void NoteClock::advance(double lengthMs) {
    const double now = hooks_.nowMs();
    startCost_ = std::max(0.0, now - onsetAt_);
    next_ += std::max(0.0, lengthMs);
}

LoopHooks systemLoopHooks(std::function<void()> processEvents) {
    LoopHooks hooks;
    hooks.processEvents = std::move(processEvents);
    hooks.sleepMs = [](double ms) {
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
    };
    hooks.nowMs = [] {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    return hooks;
}

} // namespace zembera
