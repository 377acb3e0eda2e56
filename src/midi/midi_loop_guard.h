#pragma once
// Keeps MIDI input that no player makes from taking over the program: the program's own MPE
// notes coming back through a relay (a client that passes on what reaches its input on another
// port, which the program listens to) and floods far beyond what any keyboard sends. A message
// equal to one the program sent a moment before is never played; a source that sends such echoes
// again and again, or more notes or messages a second than a keyboard can, is to be closed. And
// whatever the input, playing its notes may take only a small share of the UI thread: beyond it
// new notes wait out the rest of the slice unplayed (their note-offs still play).
//
// Thread: UI thread.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "midi/midi_event_queue.h"
#include "midi/midi_ports.h"

namespace zembera {

// How near an echo follows the message sent (a relay passes it on within a millisecond or two).
inline constexpr std::chrono::milliseconds kEchoWindow{50};
// Echoes within a second that close their source.
inline constexpr int kEchoesToClose = 2;
// Beyond these a second, a source is no keyboard: note-ons (a glissando with both hands stays
// far below), and messages of any kind (an MPE controller's pressure and bends included).
inline constexpr int kMostNotesPerSecond = 200;
inline constexpr int kMostMessagesPerSecond = 8000;
// The share of the UI thread notes may take: this much in each slice (a slice long enough for a
// chord whose sounds are still to be made on a busy machine).
inline constexpr std::chrono::milliseconds kPlaySlice{1000};
inline constexpr std::chrono::milliseconds kPlayBudget{200};

class MidiLoopGuard {
  public:
    using Clock = std::chrono::steady_clock;

    // A message the program sent out, at `at`.
    void sent(std::span<const std::uint8_t> message, Clock::time_point at);

    struct Verdict {
        bool play = true;
        std::string closing; // when not empty: close the source, for this reason
        std::string word;    // the same in a word, for a narrow status line
    };
    // What to do with a message received (at its `received` time).
    Verdict received(const MidiEvent& event);
    // Time spent playing a message, ending at `at`.
    void spent(Clock::duration busy, Clock::time_point at);

  private:
    struct Sent {
        std::array<std::uint8_t, 3> bytes{};
        std::size_t size = 0;
        Clock::time_point at;
    };
    struct SourceCount {
        Clock::time_point since; // start of the second counted
        int messages = 0;
        int notes = 0;
        int echoes = 0;
    };
    bool echo(const MidiEvent& event) const;
    bool overBudget(Clock::time_point at);

    std::array<Sent, 64> sent_{}; // the latest, as a ring
    std::size_t next_ = 0;
    std::map<std::pair<int, int>, SourceCount> counts_;
    Clock::time_point sliceStart_;
    Clock::duration sliceBusy_{};
};

} // namespace zembera
