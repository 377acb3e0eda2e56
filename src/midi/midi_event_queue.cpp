#include "midi/midi_event_queue.h"

#include <algorithm>

namespace zembera {

void MidiEventQueue::push(const std::uint8_t* bytes, std::size_t size, MidiAddress source) {
    if (size == 0 || size > 3) return;
    MidiEvent event;
    std::copy_n(bytes, size, event.bytes.begin());
    event.size = size;
    event.received = std::chrono::steady_clock::now();
    event.source = source;
    bool wasEmpty = false;
    {
        const std::lock_guard lock(mutex_);
        wasEmpty = waiting_.empty();
        if (waiting_.size() >= kMostWaiting) return;
        waiting_.push_back(event);
    }
    if (wasEmpty && wakeUp_) wakeUp_();
}

void MidiEventQueue::takeAll(std::vector<MidiEvent>& out) {
    out.clear();
    const std::lock_guard lock(mutex_);
    out.swap(waiting_);
}

} // namespace zembera
