#pragma once
// The plugin's instrument, free of any plugin interface: the 26 strings played from MIDI as the
// MIDI box plays them (white keys A2-E6 the strings at their mandal positions, a black key the
// sharp or flat of its neighbour, velocity, the sustain pedal), each key on a voice of its own.
// Its controls: the pitch system (one of the bundled ones), each string's mandal position and
// fine tuning, the pitch level (ahenk) and degree shift (transposition.h). A control that moves
// a ringing note's pitch takes it to the new pitch with a crossfade, as the pluck goes on. With
// "Teller tınlasın" a released key lets its string ring on until the string's next note.
//
// Thread: made on the host's control thread; everything else on the audio thread, never
// allocating, locking, throwing or reading a file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/live_voices.h"
#include "lv2/bundled_kanun.h"
#include "lv2/transposition.h"
#include "midi/midi_keys.h"
#include "midi/midi_mapping.h"
#include "model/pitch_levels.h"

namespace zembera::lv2 {

class KanunSynth {
  public:
    // The strings of `kanun` at `rate`; its samples are converted to that rate here.
    KanunSynth(const BundledKanun& kanun, double rate);
    ~KanunSynth();
    KanunSynth(const KanunSynth&) = delete;
    KanunSynth& operator=(const KanunSynth&) = delete;

    // The untransposed setting of the mandals (each held within its string's range in the
    // system; with a makam loaded, steps from the makam's position), the fine tuning in cents, the
    // pitch level (1..8, 5 the table's own) and the degree shift; where a transposition finds no
    // place for a string's note, the untransposed setting sounds, as the window keeps it.
    struct Controls {
        // Index of the bundled systems, Yarman 79 first; the next one past them is the system of
        // the Scala file given (Yarman 79 until one is).
        int system = 0;
        PerString<std::int16_t> positions{};
        PerString<float> fineTuning{};
        int ahenk = kReferenceLevel;
        int shift = 0;
        bool operator==(const Controls&) const = default;
    };
    void setControls(const Controls& controls) noexcept;
    void setStringsRing(bool ring) noexcept { stringsRing_ = ring; }

    // A pitch system made ready for the audio thread, on any other thread.
    struct Prepared;
    static std::unique_ptr<Prepared> prepare(const KanunSystem& system);
    // Puts `scale` in as the system of a Scala file and returns the one it replaces (null when
    // none), for the caller to free off the audio thread.
    Prepared* swapScale(Prepared* scale) noexcept;
    // The positions of Yarman 79 a makam file holds, or none.
    void setMakam(const std::optional<PerString<std::int16_t>>& filePositions) noexcept;

    void midi(const std::uint8_t* bytes, std::size_t size) noexcept;
    void render(float* left, float* right, std::size_t frames) noexcept;

    struct Prepared {
        explicit Prepared(const KanunSystem& system) : transposition(system) {}
        Transposition transposition;
        PerString<std::array<double, kMandalHigh - kMandalLow + 1>> cents{};
        PerString<std::int16_t> mandalMin{}, mandalMax{};
        // What each key sounds; a white key's position is the string's when it sounds.
        std::array<std::optional<MidiKeyTarget>, 128> targets{};
    };

  private:
    void apply(const Controls& controls) noexcept;
    // Where the makam puts string s in `system`: the position sounding nearest its Yarman 79
    // pitch, of two the one nearer the open string, then the lower.
    int makamPosition(const Prepared& system, std::size_t s) const noexcept;
    // The cents key `key` sounds now on its string; 0 for a key that sounds nothing.
    double keyCents(int key) const noexcept;
    void start(int key, int velocity) noexcept;
    void stop(int key) noexcept;

    engine::LiveVoices voices_;
    std::vector<std::unique_ptr<Prepared>> systems_;
    Prepared* scale_ = nullptr; // owned: given by swapScale, freed through it or the destructor
    const Prepared* system_ = nullptr;
    Controls controls_;
    PerString<std::int16_t> sounding_{}; // the positions that sound
    std::optional<PerString<std::int16_t>> makam_;
    MidiKeys keys_;
    bool stringsRing_ = false;
};

} // namespace zembera::lv2
