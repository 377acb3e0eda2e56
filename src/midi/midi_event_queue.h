#pragma once
// MIDI messages on their way from the MIDI library's threads to the UI thread. Any thread may
// push; the UI thread takes them all at once. The first message pushed into an empty queue calls
// the wake-up, which asks the UI thread to come and take them (a queued call of the toolkit).
//
// Thread: push from any thread; takeAll and setWakeUp on the UI thread.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "midi/midi_ports.h"

namespace zembera {

struct MidiEvent {
    std::array<std::uint8_t, 3> bytes{};
    std::size_t size = 0;
    std::chrono::steady_clock::time_point received; // when the library handed it over
    MidiAddress source;                             // the port it came from, when known
};

class MidiEventQueue {
  public:
    static constexpr std::size_t kMostWaiting = 4096;

    // Set before any input can push.
    void setWakeUp(std::function<void()> wakeUp) { wakeUp_ = std::move(wakeUp); }

    // Keeps channel messages of up to three bytes; system exclusive and longer ones are dropped,
    // and so is everything beyond kMostWaiting not yet taken (a flood).
    void push(const std::uint8_t* bytes, std::size_t size, MidiAddress source = {});
    // Moves every waiting message into `out` (cleared first), oldest first.
    void takeAll(std::vector<MidiEvent>& out);

  private:
    std::mutex mutex_;
    std::vector<MidiEvent> waiting_;
    std::function<void()> wakeUp_;
};

} // namespace zembera
