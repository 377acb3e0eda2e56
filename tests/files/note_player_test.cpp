// The note player over a fake sound clock (a frame a millisecond) whose wake-ups come late by a
// varying amount, as a busy window's timer does.

#include "files/note_player.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zembera {
namespace {

struct Rig : SoundPort {
    SoundFrame now = 0; // what the sound has played: a frame a millisecond
    std::optional<SoundFrame> wakeAt;
    std::vector<std::string> log; // "sound i at f @t", "show i @t", "end at f @t", ...
    NotePlayer player;

    explicit Rig(double handOverMs = 10, double showLeadMs = 0)
        : player(TickSource{[this](double ms) { wakeAt = now + static_cast<SoundFrame>(ms); },
                            [this] { wakeAt.reset(); }},
                 *this, handOverMs, showLeadMs) {}

    bool startNote(Voice, const StringNote&, std::optional<SoundFrame>) override { return true; }
    void endNote(Voice, std::optional<SoundFrame>) override {}
    SoundFrame playedFrame() override { return now; }
    SoundFrame nextFrame() override { return now; }
    double frameRate() const override { return 1000; }

    void play(const NoteEvents& piece) {
        player.play(listedNotes(
            piece,
            [this](std::size_t i, SoundFrame at) {
                note("sound " + std::to_string(i) + " at " + std::to_string(at));
            },
            [this](std::size_t i) { note("show " + std::to_string(i)); },
            [this](SoundFrame at) { note("end at " + std::to_string(at)); },
            [this] { note("silence"); }, [this] { note("finished"); }));
    }
    void note(const std::string& what) { log.push_back(what + " @" + std::to_string(now)); }
    // Moves the clock to `until`, firing each wake-up `late(k)` after it was due.
    template <typename Late> void runUntil(SoundFrame until, Late late) {
        for (int k = 0; wakeAt && *wakeAt + late(k) <= until; ++k) {
            now = *wakeAt + late(k);
            wakeAt.reset();
            player.tick();
        }
        now = until;
    }
    void runUntil(SoundFrame until) {
        runUntil(until, [](int) { return 0; });
    }
    // The frames the onsets were handed over for, and when each was shown.
    std::vector<SoundFrame> numbers(const std::string& kind, bool frames) const {
        std::vector<SoundFrame> out;
        for (const std::string& line : log)
            if (line.rfind(kind, 0) == 0)
                out.push_back(
                    std::stoll(line.substr(frames ? line.find(" at ") + 4 : line.find('@') + 1)));
        return out;
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

// Wake-ups late by 0..7 ms (less than the horizon): every onset is handed over for its own frame,
// the lengths summed from the first, and shown no later than the lateness after it.
TEST(NotePlayer, LateTicksMoveNoOnsetOffItsFrame) {
    Rig rig;
    rig.now = 1000;
    const NoteEvents p = piece(300);
    rig.play(p);
    rig.runUntil(1000 + static_cast<SoundFrame>(p.endMs) + 50,
                 [](int k) { return static_cast<SoundFrame>((k * 5) % 8); });
    const std::vector<SoundFrame> frames = rig.numbers("sound", true);
    const std::vector<SoundFrame> shown = rig.numbers("show", false);
    ASSERT_EQ(frames.size(), p.events.size());
    ASSERT_EQ(shown.size(), p.events.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i], 1000 + static_cast<SoundFrame>(p.events[i].onsetMs)) << i;
        EXPECT_GE(shown[i], frames[i]) << i;
        EXPECT_LE(shown[i], frames[i] + 7) << i;
    }
    EXPECT_EQ(rig.log[rig.log.size() - 2].rfind("end at " + std::to_string(1000 + int(p.endMs)), 0),
              0u);
    EXPECT_EQ(rig.log.back().rfind("finished", 0), 0u); // no silence: the end was handed over
    EXPECT_FALSE(rig.player.playing());
    EXPECT_FALSE(rig.wakeAt);
}

// Onsets are handed over up to the horizon ahead, a chord's further note with its first, and
// each is shown its lead before it sounds; the piece's end is handed over for its frame too.
TEST(NotePlayer, HandsOverAheadAndShowsOnTheOnset) {
    Rig rig(4, 2);
    NoteEvents p;
    p.events = {{0, 5, 1, false}, {3, 6, 0, false}, {20, 7, 0, false}, {20, 9, 2, true}};
    p.endMs = 50;
    rig.play(p);
    rig.runUntil(100);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"sound 0 at 0 @0", "sound 1 at 3 @0", "show 0 @0",
                                                 "show 1 @1", "sound 2 at 20 @16",
                                                 "sound 3 at 20 @16", "show 2 @18", "show 3 @18",
                                                 "end at 50 @46", "finished @50"}));
}

// A pause ends the sound at once and holds the onsets handed over and not heard; on resuming they
// are handed over again, the next one at once and the rest at their distances. A stop ends at once.
TEST(NotePlayer, PauseHoldsTheOnsetsNotHeardAndStopEndsAtOnce) {
    Rig rig(50);
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
    rig.runUntil(540);
    rig.player.stop();
    EXPECT_EQ(rig.log, (std::vector<std::string>{
                           "sound 0 at 0 @0", "show 0 @0", "sound 1 at 100 @50", "silence @60",
                           "sound 1 at 500 @500", "show 1 @500", "sound 2 at 530 @500",
                           "show 2 @530", "silence @540", "finished @540"}));
    EXPECT_FALSE(rig.player.playing());
    EXPECT_FALSE(rig.wakeAt);
    rig.player.tick();
    rig.player.stop();
    EXPECT_EQ(rig.log.size(), 10u);
}

} // namespace
} // namespace zembera
