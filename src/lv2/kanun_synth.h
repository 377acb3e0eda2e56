#pragma once
// The plugin's instrument, free of any plugin interface: the 26 strings played from MIDI as the
// MIDI box plays them (white keys A2-E6 the strings at their mandal positions, a black key the
// sharp or flat of its neighbour, velocity, the sustain pedal), each key on a voice of its own.
// A mandal moved while its string rings takes the ringing white-key notes of that string to the
// new pitch with a crossfade, as the pluck goes on; so does a pitch level (ahenk) or degree shift
// that moves it (transposition.h). With "Teller tınlasın" a released key lets
// its string ring on until the string's next note.
//
// Thread: made on the host's control thread; everything else on the audio thread, never
// allocating, locking, throwing or reading a file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/engine.h"
#include "engine/live_voices.h"
#include "lv2/bundled_kanun.h"
#include "lv2/transposition.h"
#include "midi/midi_keys.h"
#include "midi/midi_mapping.h"
#include "model/instrument_state.h"
#include "model/pitch_levels.h"

namespace zembera::lv2 {

class KanunSynth {
  public:
    // The strings of `kanun` at `rate`; its samples are converted to that rate here.
    KanunSynth(const BundledKanun& kanun, double rate);

    void midi(const std::uint8_t* bytes, std::size_t size) noexcept;
    // The untransposed setting of the mandals (each held within its string's range), the pitch
    // level (1..8, 5 the table's own) and the degree shift; where a transposition finds no place
    // for a string's note, the untransposed setting sounds, as the window keeps it.
    struct Controls {
        PerString<std::int16_t> positions{};
        int ahenk = kReferenceLevel;
        int shift = 0;
        bool operator==(const Controls&) const = default;
    };
    void setControls(const Controls& controls) noexcept;
    // The position string s sounds at.
    int position(int s) const noexcept;
    void setStringsRing(bool ring) noexcept { stringsRing_ = ring; }
    void render(float* left, float* right, std::size_t frames) noexcept;

    // Cents above C4 string s sounds at position m (its range held).
    double cents(int s, int m) const noexcept;

  private:
    void start(int key, int velocity) noexcept;
    void stop(int key) noexcept;

    engine::LiveVoices voices_;
    Transposition transposition_;
    Controls controls_;
    InstrumentState state_; // mandalPos: the positions that sound
    // Cents of every string at every position, read from the table once.
    PerString<std::array<double, kMandalHigh - kMandalLow + 1>> cents_{};
    // What each key sounds; a white key's position is the string's at the moment it sounds.
    std::array<std::optional<MidiKeyTarget>, 128> targets_{};
    MidiKeys keys_;
    bool stringsRing_ = false;
};

} // namespace zembera::lv2
