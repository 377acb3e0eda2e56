#include "midi/mpe_notes.h"

#include <algorithm>

namespace zembera {

// Every voice a note is announced on has a note number of its own.
static_assert(voiceNumber(Voice::chordNote(kChordNoteVoices)) < kMpeNoteIds);

void MpeNotes::attach(Sink sink) {
    detach();
    sink_ = std::move(sink);
    if (sink_) send(MpeEncoder::configuration());
}

void MpeNotes::detach() {
    if (!sink_) return;
    for (const int id : std::vector<int>(sounding_))
        noteOff(id);
    sink_ = nullptr;
}

void MpeNotes::noteOn(int id, double cents, int velocity) {
    if (!sink_) return;
    send(encoder_.noteOn(id, cents, velocity));
    if (!sounding(id)) sounding_.push_back(id);
}

void MpeNotes::noteOff(int id) {
    if (!sink_) return;
    send(encoder_.noteOff(id));
    std::erase(sounding_, id);
}

bool MpeNotes::sounding(int id) const {
    return std::find(sounding_.begin(), sounding_.end(), id) != sounding_.end();
}

void MpeNotes::send(const MpeEncoder::Bytes& bytes) {
    for (std::size_t at = 0; at + 3 <= bytes.size(); at += 3)
        sink_(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(at) + 3));
}

} // namespace zembera
