// The note player over a fake clock whose wake-ups come late by a varying amount, as a busy
// window's timer does.

#include "files/note_player.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zembera {
namespace {

struct Rig {
    double now = 0;
    std::optional<double> wakeAt;
    int cancels = 0;
    std::vector<std::string> log; // "draw i @t", "start i @t", "silence @t", "end @t"
    NotePlayer player;

    explicit Rig(double leadMs = 0)
        : player(TickSource{[this] { return now; }, [this](double ms) { wakeAt = now + ms; },
                            [this] {
                                wakeAt.reset();
                                ++cancels;
                            }},
                 leadMs) {}

    void play(const NoteEvents& piece) {
        player.play(listedNotes(
            piece, [this](std::size_t i) { note("draw " + std::to_string(i)); },
            [this](std::size_t i) { note("start " + std::to_string(i)); },
            [this] { note("silence"); }, [this] { note("end"); }));
    }

    void note(const std::string& what) {
        log.push_back(what + " @" + std::to_string(static_cast<int>(now)));
    }
    // Moves the clock to `until`, firing each wake-up `lateMs(k)` after it was due.
    template <typename Late> void runUntil(double until, Late lateMs) {
        for (int k = 0; wakeAt && *wakeAt + lateMs(k) <= until; ++k) {
            now = *wakeAt + lateMs(k);
            wakeAt.reset();
            player.tick();
        }
        now = until;
    }
    void runUntil(double until) {
        runUntil(until, [](int) { return 0.0; });
    }
    std::vector<double> startTimes() const {
        std::vector<double> times;
        for (const std::string& line : log)
            if (line.rfind("start", 0) == 0)
                times.push_back(std::stod(line.substr(line.find('@') + 1)));
        return times;
    }
};

// Notes of lengths 30, 10, 20, ... with a chord note and a rest among them.
NoteEvents piece(int count) {
    NoteEvents p;
    double at = 0;
    for (int k = 0; k < count; ++k) {
        p.events.push_back(NoteEvent{at, k % 5 == 3 ? 0 : 1 + k % 26, 0, false});
        if (k % 7 == 2) p.events.push_back(NoteEvent{at, 20, 0, true});
        at += 10.0 * (1 + k % 3);
    }
    p.endMs = at;
    return p;
}

// Late wake-ups (0..7 ms) delay a note by no more than their own lateness: each onset keeps its
// place on the piece's clock (the lengths summed from the first note), so nothing drifts.
TEST(NotePlayer, LateTicksDelayANoteButNeverTheOnesAfterIt) {
    Rig rig;
    rig.now = 1000;
    const NoteEvents p = piece(300);
    rig.play(p);
    rig.runUntil(1000 + p.endMs + 50, [](int k) { return static_cast<double>((k * 5) % 8); });
    const std::vector<double> starts = rig.startTimes();
    ASSERT_EQ(starts.size(), p.events.size());
    double written = 0;
    std::size_t i = 0;
    for (int k = 0; k < 300; ++k) {
        for (; i < p.events.size() && p.events[i].onsetMs == written; ++i) {
            EXPECT_GE(starts[i], 1000 + written) << i;
            EXPECT_LE(starts[i], 1000 + written + 7) << i;
        }
        written += 10.0 * (1 + k % 3);
    }
    const double ended = std::stod(rig.log.back().substr(rig.log.back().find('@') + 1));
    EXPECT_EQ(rig.log.back().rfind("end", 0), 0u);
    EXPECT_GE(ended, 1000 + p.endMs);
    EXPECT_LE(ended, 1000 + p.endMs + 7);
    EXPECT_EQ(rig.log[rig.log.size() - 2].rfind("silence", 0), 0u);
    EXPECT_FALSE(rig.player.playing());
    EXPECT_FALSE(rig.wakeAt);
}

// Each note is drawn `lead` before its onset, a chord's further note with its first, and the
// drawing of a note waits for the start of the one before it.
TEST(NotePlayer, DrawsAheadByTheLeadAndStartsAChordTogether) {
    Rig rig(4);
    NoteEvents p;
    p.events = {{0, 5, 1, false}, {3, 6, 0, false}, {20, 7, 0, false}, {20, 9, 2, true}};
    p.endMs = 50;
    rig.play(p);
    rig.runUntil(100);
    EXPECT_EQ(rig.log, (std::vector<std::string>{
                           "draw 0 @0", "start 0 @0", "draw 1 @0", "start 1 @3", "draw 2 @16",
                           "draw 3 @16", "start 2 @20", "start 3 @20", "silence @50", "end @50"}));
}

// A pause cuts the sound at once and starts nothing while it lasts; on resuming the next note
// starts at once and the ones after it keep their distances. A stop cuts and ends at once.
TEST(NotePlayer, PauseHoldsTheScheduleAndStopEndsAtOnce) {
    Rig rig;
    NoteEvents p;
    p.events = {{0, 1, 0, false}, {100, 2, 0, false}, {130, 3, 0, false}, {200, 4, 0, false}};
    p.endMs = 260;
    rig.play(p);
    rig.runUntil(60);
    rig.player.pause();
    EXPECT_EQ(rig.log.back(), "silence @60");
    EXPECT_FALSE(rig.wakeAt);
    rig.player.tick(); // a stray tick of a timer already queued does nothing
    rig.runUntil(500);
    EXPECT_EQ(rig.log.back(), "silence @60");
    rig.player.resume();
    EXPECT_EQ(rig.log.back(), "start 1 @500");
    rig.runUntil(540);
    EXPECT_EQ(rig.log.back(), "start 2 @530");
    rig.player.stop();
    EXPECT_EQ(rig.log, (std::vector<std::string>{"draw 0 @0", "start 0 @0", "silence @60",
                                                 "draw 1 @500", "start 1 @500", "draw 2 @530",
                                                 "start 2 @530", "silence @540", "end @540"}));
    EXPECT_FALSE(rig.player.playing());
    EXPECT_FALSE(rig.wakeAt);
    rig.player.tick();
    rig.player.stop();
    EXPECT_EQ(rig.log.size(), 9u);
}

} // namespace
} // namespace zembera
