#pragma once
// A sound port that keeps every call, on a clock the test moves, and answers as told: what the
// keys, the mouse, the players and a keyboard asked of the sound, in order.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/sound_port.h"

namespace zembera::test {

inline std::string voiceText(Voice voice) {
    switch (voice.kind) {
    case Voice::Kind::memoryChannel:
        return "bellek";
    case Voice::Kind::string:
        return "tel " + std::to_string(voice.number);
    case Voice::Kind::chordNote:
        return "akor " + std::to_string(voice.number);
    case Voice::Kind::key:
        return "tuş " + std::to_string(voice.number);
    }
    return "?";
}

class RecordedSound : public SoundPort {
  public:
    struct Call {
        bool start = false; // else an end
        Voice voice;
        StringNote note; // of a start
        std::optional<SoundFrame> at;
    };
    bool startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) override {
        calls.push_back({true, voice, note, at});
        return accepts ? accepts(voice) : true;
    }
    void endNote(Voice voice, std::optional<SoundFrame> at) override {
        calls.push_back({false, voice, {}, at});
    }
    void cancelScheduled() override { ++cancels; }
    SoundFrame playedFrame() override { return now; }
    SoundFrame nextFrame() override { return now; }
    double frameRate() const override { return rate; }

    // "bellek 12:0" for a start (with "~" when interpolated), "-tel 5" for an end.
    static std::string text(const Call& c) {
        if (!c.start) return "-" + voiceText(c.voice);
        return voiceText(c.voice) + " " + std::to_string(c.note.string) + ":" +
               std::to_string(c.note.position) +
               (c.note.resampling == Resampling::interpolated ? "~" : "");
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Call& c : calls)
            out.push_back(text(c));
        return out;
    }

    std::vector<Call> calls;
    int cancels = 0;
    SoundFrame now = 0;
    double rate = 44100;
    std::function<bool(Voice)> accepts; // unset: every start sounds
};

} // namespace zembera::test
