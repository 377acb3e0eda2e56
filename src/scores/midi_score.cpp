#include "scores/midi_score.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "scores/pitch_spelling.h"
#include "scores/smf_reader.h"
#include "scores/tuning_reference.h"

namespace zembera::scores {
namespace {

constexpr int kPercussionChannel = 9; // channel 10
// MIDI's tempo until a tempo event: 120 quarter notes a minute.
constexpr double kDefaultMicrosPerQuarter = 500000;
constexpr double kLongestMs = 600000;

// Milliseconds from the start at any tick, by the division and the tempo events.
class TempoMap {
  public:
    TempoMap(const MidiSequence& seq, int track) {
        if (seq.ticksPerQuarter == 0) { // SMPTE: the ticks count real time
            points_.push_back({0, 0, 1000.0 / seq.ticksPerSecond});
            return;
        }
        const double quarter = seq.ticksPerQuarter;
        points_.push_back({0, 0, kDefaultMicrosPerQuarter / 1000.0 / quarter});
        for (const MidiTempo& t : seq.tempos) {
            if (seq.format == 2 && t.track != track) continue;
            const double msPerTick = t.microsPerQuarter / 1000.0 / quarter;
            if (t.tick == points_.back().tick)
                points_.back().msPerTick = msPerTick;
            else
                points_.push_back({t.tick, msAt(t.tick), msPerTick});
        }
    }
    double msAt(std::int64_t tick) const {
        const auto after =
            std::upper_bound(points_.begin(), points_.end(), tick,
                             [](std::int64_t t, const Point& p) { return t < p.tick; });
        const Point& p = *(after - 1);
        return p.ms + static_cast<double>(tick - p.tick) * p.msPerTick;
    }

  private:
    struct Point {
        std::int64_t tick;
        double ms;
        double msPerTick;
    };
    std::vector<Point> points_;
};

// Measure numbers by the time signatures: a signature starts a measure where it stands.
class Measures {
  public:
    Measures(const MidiSequence& seq, int track, double quarterTicks) {
        points_.push_back({0, 1, 4 * quarterTicks});
        for (const MidiMeter& m : seq.meters) {
            if (seq.format == 2 && m.track != track) continue;
            const double length = quarterTicks * 4.0 * m.numerator / m.denominator;
            if (m.tick == points_.back().tick) {
                points_.back().ticks = length;
                continue;
            }
            const Point& last = points_.back();
            const double bars = static_cast<double>(m.tick - last.tick) / last.ticks;
            const double first = last.first + std::ceil(bars);
            points_.push_back({m.tick, first, length});
        }
    }
    int at(std::int64_t tick) const {
        const auto after =
            std::upper_bound(points_.begin(), points_.end(), tick,
                             [](std::int64_t t, const Point& p) { return t < p.tick; });
        const Point& p = *(after - 1);
        const double measure = p.first + std::floor(static_cast<double>(tick - p.tick) / p.ticks);
        return measure < INT_MAX ? static_cast<int>(measure) : INT_MAX;
    }

  private:
    struct Point {
        std::int64_t tick;
        double first; // the measure starting at `tick`
        double ticks; // the length of its measures
    };
    std::vector<Point> points_;
};

bool percussionOnly(const MidiTrack& track) {
    return std::all_of(track.notes.begin(), track.notes.end(),
                       [](const MidiNote& n) { return n.channel == kPercussionChannel; });
}

std::string partName(const MidiTrack& track, std::size_t index) {
    return "iz " + std::to_string(index + 1) + (track.name.empty() ? "" : ": " + track.name);
}

std::string channelName(int channel) {
    return "kanal " + std::to_string(channel + 1) +
           (channel == kPercussionChannel ? " (vurmalı)" : "");
}

} // namespace

Score parseMidiScore(std::string_view bytes, const std::string& fileName,
                     const ScoreChoice& choice) {
    const MidiSequence seq = readMidiSequence(bytes, fileName);
    // The tracks with notes, pitched ones first.
    std::vector<std::size_t> tracks;
    for (const bool percussion : {false, true})
        for (std::size_t t = 0; t < seq.tracks.size(); ++t)
            if (!seq.tracks[t].notes.empty() && percussionOnly(seq.tracks[t]) == percussion)
                tracks.push_back(t);
    if (tracks.empty()) throwScoreError(fileName, "partisyonda nota yok");

    Score score;
    score.midi = true;
    score.title = seq.format == 2 ? "" : seq.tracks.front().name;
    score.keySignature = seq.keySignature;
    for (const std::size_t t : tracks)
        score.parts.push_back(partName(seq.tracks[t], t));
    score.part = std::clamp(choice.part, 0, static_cast<int>(tracks.size()) - 1);
    const std::size_t trackIndex = tracks[static_cast<std::size_t>(score.part)];
    const MidiTrack& track = seq.tracks[trackIndex];
    std::vector<int> channels;
    for (const MidiNote& n : track.notes)
        if (std::find(channels.begin(), channels.end(), n.channel) == channels.end())
            channels.push_back(n.channel);
    std::sort(channels.begin(), channels.end(), [](int a, int b) {
        return (a == kPercussionChannel) != (b == kPercussionChannel) ? b == kPercussionChannel
                                                                      : a < b;
    });
    for (const int c : channels)
        score.voices.push_back(channelName(c));
    score.voice = std::clamp(choice.voice, 0, static_cast<int>(channels.size()) - 1);
    const int channel = channels[static_cast<std::size_t>(score.voice)];

    std::vector<MidiNote> notes;
    for (const MidiNote& n : track.notes)
        if (n.channel == channel) notes.push_back(n);
    std::stable_sort(notes.begin(), notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.onTick < b.onTick; });

    const TempoMap tempo(seq, static_cast<int>(trackIndex));
    const double quarter =
        seq.ticksPerQuarter > 0 ? seq.ticksPerQuarter : seq.ticksPerSecond / 2; // 120 a minute
    const Measures measures(seq, static_cast<int>(trackIndex), quarter);
    auto add = [&](std::int64_t from, std::int64_t to, const MidiNote* note, bool chord) {
        ScoreNote s;
        s.rest = note == nullptr;
        s.chord = chord;
        if (note) s.cents = note->cents;
        s.beats = static_cast<double>(to - from) / quarter;
        s.ms = tempo.msAt(to) - tempo.msAt(from);
        s.measure = measures.at(from);
        if (s.ms > kLongestMs)
            throwScoreError(fileName, placeText(s.measure, false) + ": " +
                                          (s.rest ? "es" : "nota") + " on dakikadan uzun");
        if (score.notes.size() >= kMaxScoreNotes) throwScoreError(fileName, "çok fazla nota");
        score.notes.push_back(s);
    };
    // Anything struck so far sounds until `sounding`.
    std::int64_t sounding = 0;
    const std::int64_t shortestRest = std::max<std::int64_t>(1, std::llround(quarter / 8));
    if (notes.front().onTick > 0) add(0, notes.front().onTick, nullptr, false);
    for (std::size_t i = 0; i < notes.size();) {
        const std::int64_t at = notes[i].onTick;
        std::size_t next = i;
        for (; next < notes.size() && notes[next].onTick == at; ++next)
            sounding = std::max(sounding, notes[next].offTick);
        std::int64_t end = sounding, restEnd = 0;
        if (next < notes.size()) {
            const std::int64_t nextAt = notes[next].onTick;
            const std::int64_t gap = nextAt - sounding;
            if (sounding > at && gap >= shortestRest && 4 * gap >= nextAt - at)
                restEnd = nextAt;
            else
                end = nextAt;
        } else if (end <= at) {
            end = at + std::max<std::int64_t>(1, std::llround(quarter)); // struck, never held
        }
        // The track may end later than its last note: a rest to its end.
        if (next == notes.size() && track.endTick > end) restEnd = track.endTick;
        for (std::size_t k = i; k < next; ++k)
            add(at, end, &notes[k], k > i);
        if (restEnd > end) add(end, restEnd, nullptr, false);
        i = next;
    }

    std::vector<double> pitches;
    for (const ScoreNote& n : score.notes)
        if (!n.rest) pitches.push_back(n.cents);
    const std::vector<ScorePitch> spelled = spellPitches(pitches);
    std::size_t k = 0;
    for (ScoreNote& n : score.notes) {
        if (n.rest) continue;
        n.step = spelled[k].step;
        n.octave = spelled[k].octave;
        ++k;
    }
    score.tuning = tuningReference(pitches).text();
    return score;
}

} // namespace zembera::scores
