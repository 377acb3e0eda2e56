#pragma once
// Notes as MIDI Polyphonic Expression (MPE) messages: a lower zone with channel 1 as its manager
// and channels 2..16 as members. Each note sounds on a member channel of its own, preceded by a
// pitch bend that carries the part of its pitch between semitones, at a bend range of +-48
// semitones on the members; configuration() announces the zone and that range. Pitches are
// cents above C4 at 262 Hz, as everywhere in the program.
//
// Thread: any (pure, one encoder per output).

#include <array>
#include <cstdint>
#include <vector>

namespace zembera {

constexpr int kMpeMemberChannels = 15;
constexpr int kMpeBendRange = 48; // semitones either way on the member channels
constexpr int kMpeNoteIds = 320;  // the callers' note numbers: 0..319

// The MIDI note and 14-bit pitch bend (8192 = none) that sound `cents`; the note is the nearest
// one, so the bend stays within half a semitone.
struct MpePitch {
    int note = 0;
    int bend = 8192;
    bool operator==(const MpePitch&) const = default;
};
MpePitch mpePitch(double cents);

class MpeEncoder {
  public:
    using Bytes = std::vector<std::uint8_t>;

    // The MPE configuration message for the lower zone, then the bend range of every member;
    // each parameter closed by the null RPN. Sent on attaching and to each new subscriber.
    static Bytes configuration();

    // Starts note `id` (the caller's own number for it, 0..kMpeNoteIds-1) at `cents`: a member
    // channel of its own (the one released longest ago), its pitch bend, then its note-on. A note
    // already sounding under `id` is ended first.
    Bytes noteOn(int id, double cents, int velocity);
    // Ends note `id`; nothing when it is not sounding.
    Bytes noteOff(int id);

  private:
    struct Sounding {
        bool on = false;
        int channel = 0; // 1..15: the member channels 2..16 as 0-based numbers
        int note = 0;
    };
    int freeChannel();

    std::array<Sounding, kMpeNoteIds> notes_{};
    std::array<bool, 16> busy_{};
    std::array<std::uint64_t, 16> releasedAt_{}; // when each channel last fell free
    std::uint64_t clock_ = 0;
};

} // namespace zembera
