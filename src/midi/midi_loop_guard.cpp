#include "midi/midi_loop_guard.h"

#include <algorithm>

namespace zembera {
namespace {

bool isNoteOn(const MidiEvent& e) {
    return e.size == 3 && (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] > 0;
}

} // namespace

void MidiLoopGuard::sent(std::span<const std::uint8_t> message, Clock::time_point at) {
    if (message.empty() || message.size() > 3) return;
    Sent& s = sent_[next_];
    next_ = (next_ + 1) % sent_.size();
    s.size = message.size();
    std::copy(message.begin(), message.end(), s.bytes.begin());
    s.at = at;
}

bool MidiLoopGuard::echo(const MidiEvent& event) const {
    return std::any_of(sent_.begin(), sent_.end(), [&event](const Sent& s) {
        return s.size == event.size && s.at <= event.received &&
               event.received - s.at <= kEchoWindow &&
               std::equal(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(s.size),
                          event.bytes.begin());
    });
}

bool MidiLoopGuard::overBudget(Clock::time_point at) {
    if (at - sliceStart_ >= kPlaySlice) {
        sliceStart_ = at;
        sliceBusy_ = {};
    }
    return sliceBusy_ >= kPlayBudget;
}

MidiLoopGuard::Verdict MidiLoopGuard::received(const MidiEvent& event) {
    SourceCount& c = counts_[{event.source.client, event.source.port}];
    if (event.received - c.since >= std::chrono::seconds(1)) c = SourceCount{event.received};
    ++c.messages;
    if (isNoteOn(event)) ++c.notes;
    Verdict verdict;
    if (echo(event)) {
        verdict.play = false;
        if (++c.echoes >= kEchoesToClose) {
            verdict.closing = "MPE çıkışının notaları bu girişten geri geliyor (döngü)";
            verdict.word = "döngü";
        }
    } else if (c.notes > kMostNotesPerSecond || c.messages > kMostMessagesPerSecond) {
        verdict.play = false;
        verdict.closing = c.notes > kMostNotesPerSecond
                              ? "saniyede " + std::to_string(kMostNotesPerSecond) +
                                    "'den çok nota: bir klavyeden gelemez (döngü?)"
                              : "saniyede " + std::to_string(kMostMessagesPerSecond) +
                                    "'den çok mesaj: bir klavyeden gelemez (döngü?)";
        verdict.word = "aşırı hız";
    } else if (isNoteOn(event) && overBudget(event.received)) {
        verdict.play = false;
    }
    return verdict;
}

void MidiLoopGuard::spent(Clock::duration busy, Clock::time_point at) {
    overBudget(at);
    sliceBusy_ += busy;
}

} // namespace zembera
