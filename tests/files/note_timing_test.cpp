#include "files/note_timing.h"

#include <gtest/gtest.h>

#include <vector>

namespace zembera {
namespace {

struct Fake {
    double now = 0;
    double repaintCost = 0;
    std::vector<double> sleeps;
    std::vector<double> repaintsAt;
    LoopHooks hooks() {
        LoopHooks h;
        h.repaint = [this] {
            repaintsAt.push_back(now);
            now += repaintCost;
        };
        h.sleepMs = [this](double ms) {
            sleeps.push_back(ms);
            now += ms;
        };
        h.nowMs = [this] { return now; };
        return h;
    }
};

TEST(WaitNote, EndsOnTheClockInShortSlicesWithRepaintsAwayFromTheEnd) {
    Fake f;
    f.repaintCost = 3;
    waitNote(f.hooks(), 0, 100);
    EXPECT_DOUBLE_EQ(f.now, 100);
    for (double s : f.sleeps)
        EXPECT_LE(s, kSliceMs);
    ASSERT_FALSE(f.repaintsAt.empty());
    for (double at : f.repaintsAt)
        EXPECT_LT(at, 100 - kRepaintMarginMs);
}

TEST(WaitNote, TimeAlreadySpentCountsAndNothingIsLeftToWait) {
    Fake f;
    f.now = 50;
    waitNote(f.hooks(), 0, 60); // started 50 ms ago
    EXPECT_DOUBLE_EQ(f.now, 60);
    Fake g;
    g.now = 10;
    waitNote(g.hooks(), 0, 5);
    waitNote(g.hooks(), 10, 0);
    waitNote(g.hooks(), 10, -20);
    EXPECT_TRUE(g.sleeps.empty());
    EXPECT_TRUE(g.repaintsAt.empty());
}

TEST(WaitNote, WorksWithoutARepaint) {
    Fake f;
    LoopHooks h = f.hooks();
    h.repaint = nullptr;
    waitNote(h, 0, 25);
    EXPECT_DOUBLE_EQ(f.now, 25);
    EXPECT_EQ(f.sleeps, (std::vector<double>{10, 10, 5}));
}

} // namespace
} // namespace zembera
