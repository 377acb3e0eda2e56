#include "files/note_timing.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zembera {
namespace {

// A fake clock that only sleeping, event rounds and the loop's own work move.
struct Fake {
    double now = 0;
    double sleepSlack = 0;
    double eventCost = 0;
    std::vector<double> roundsAt;
    std::function<void()> onRound;
    LoopEvent event = LoopEvent::none;
    LoopHooks hooks;
    Fake() {
        hooks.processEvents = [this] {
            roundsAt.push_back(now);
            now += eventCost;
            if (onRound) onRound();
        };
        hooks.sleepMs = [this](double ms) { now += ms + sleepSlack; };
        hooks.nowMs = [this] { return now; };
    }
    std::function<LoopEvent()> check() {
        return [this] { return std::exchange(event, LoopEvent::none); };
    }
    // One note as the players go through it: drawing, an event round, the onset, the sound's
    // start; returns the onset (when the sound started).
    double note(NoteClock& clock, double lengthMs, double drawCost, double startCost) {
        EXPECT_TRUE(clock.waitToDraw());
        now += drawCost;
        EXPECT_TRUE(clock.handleEvents());
        EXPECT_TRUE(clock.waitOnset());
        now += startCost;
        const double onset = now;
        clock.advance(lengthMs);
        return onset;
    }
};

TEST(NoteClock, OnsetsStayOnTheSumOfTheLengthsWhateverTheDrawingCosts) {
    Fake f;
    f.sleepSlack = 0.3;
    f.eventCost = 0.5;
    NoteClock clock(f.hooks, f.check());
    const double lengths[] = {30, 0, 120, 45, 1000, 60};
    double nominal = 0;
    double first = 0;
    for (int round = 0; round < 50; ++round) {
        for (std::size_t i = 0; i < std::size(lengths); ++i) {
            // The drawing costs vary from note to note; each is followed by the sound's start.
            const double onset = f.note(clock, lengths[i], 2.0 + (i % 3), 0.8);
            if (round == 0 && i == 0) first = onset;
            // A note of no length leaves no time to draw the next one: that one is late, by its
            // drawing, but the schedule does not move.
            const double late = i == 2 ? 6.0 : 0.0;
            EXPECT_NEAR(onset - first, nominal, 1.0 + late + f.sleepSlack + 1e-9)
                << round << " " << i;
            nominal += lengths[i];
        }
    }
}

TEST(NoteClock, EventsAreHandledInSlicesAwayFromTheOnset) {
    Fake f;
    NoteClock clock(f.hooks, f.check());
    f.note(clock, 100, 0, 0); // starts at 0
    ASSERT_TRUE(clock.waitOnset());
    EXPECT_DOUBLE_EQ(f.now, 100);
    ASSERT_GT(f.roundsAt.size(), 9u);
    for (std::size_t i = 2; i < f.roundsAt.size(); ++i) {
        EXPECT_LE(f.roundsAt[i] - f.roundsAt[i - 1], kSliceMs);
        EXPECT_LT(f.roundsAt[i], 100 - kEventMarginMs);
    }
}

TEST(NoteClock, AStopEndsTheWaitAtOnceAndAPauseRestartsTheScheduleWhenItEnds) {
    Fake f;
    NoteClock clock(f.hooks, f.check());
    f.note(clock, 30000, 0, 0);
    f.onRound = [&] {
        if (f.now >= 500) f.event = LoopEvent::stopped;
    };
    EXPECT_FALSE(clock.waitToDraw());
    EXPECT_LE(f.now, 500 + kSliceMs);

    Fake g;
    NoteClock paused(g.hooks, g.check());
    g.note(paused, 30000, 0, 0);
    g.onRound = [&] {
        if (g.now < 200) return;
        g.now += 5000; // the message "durduruldu" is open
        g.event = LoopEvent::paused;
        g.onRound = nullptr;
    };
    ASSERT_TRUE(paused.waitToDraw());
    const double resumed = g.now;
    EXPECT_LE(resumed, 200 + kSliceMs + 5000);
    ASSERT_TRUE(paused.waitOnset());
    EXPECT_DOUBLE_EQ(g.now, resumed); // the next note starts at once
    paused.advance(40);
    EXPECT_DOUBLE_EQ(paused.nextOnset(), resumed + 40);
}

} // namespace
} // namespace zembera
