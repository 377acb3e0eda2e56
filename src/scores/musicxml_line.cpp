#include "scores/musicxml_line.h"

#include <algorithm>
#include <cmath>

namespace zembera::scores {
namespace {

constexpr double kEpsilon = 1e-6;
// Pitches closer than this are the same pitch (a tie between enharmonic spellings holds).
constexpr double kSamePitchCents = 0.01;

double msOf(double beats, double tempo) {
    return beats * 60000.0 / tempo;
}

} // namespace

void Line::addMeasure(const Measure& m, const std::vector<ScoreNote>& pitched,
                      const std::string& voice, double length,
                      const std::function<double(double)>& tempoAt) {
    std::string heard = voice;
    const auto inVoice = [&](const RawNote& n) { return n.voice == heard; };
    if (std::none_of(m.notes.begin(), m.notes.end(), inVoice) && !m.notes.empty())
        heard = m.notes.front().voice;
    std::vector<std::size_t> line;
    for (std::size_t i = 0; i < m.notes.size(); ++i)
        if (inVoice(m.notes[i])) line.push_back(i);
    std::stable_sort(line.begin(), line.end(), [&](std::size_t a, std::size_t b) {
        return m.notes[a].onset < m.notes[b].onset - kEpsilon;
    });
    double at = 0;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const RawNote& raw = m.notes[line[k]];
        if (raw.grace) {
            ScoreNote s = pitched[line[k]];
            s.measure = m.number;
            s.grace = true;
            s.onBeat = raw.onBeat;
            s.stealPercent = raw.stealPercent;
            push(s);
            continue;
        }
        // A chord's further notes come with the note they join; a note overlapping the line
        // (another voice's time) is left out.
        if (raw.chord || raw.onset < at - kEpsilon || !(raw.beats > 0)) continue;
        if (raw.onset > at + kEpsilon)
            addRest(raw.onset - at, msOf(raw.onset - at, tempoAt(at)), m.number);
        std::vector<Member> chord;
        for (std::size_t j = k; j < line.size(); ++j) {
            const RawNote& r = m.notes[line[j]];
            if (j > k && (!r.chord || r.grace || std::abs(r.onset - raw.onset) > kEpsilon)) break;
            Member member{pitched[line[j]], r.tieStart, r.tieStop, r.tremoloPair};
            member.note.measure = m.number;
            if (!member.note.rest) chord.push_back(member);
        }
        at = raw.onset + raw.beats;
        const double ms = msOf(raw.beats, tempoAt(raw.onset));
        if (chord.empty())
            addRest(raw.beats, ms, m.number);
        else
            addOnset(std::move(chord), raw.beats, ms);
    }
    if (length > at + kEpsilon) addRest(length - at, msOf(length - at, tempoAt(at)), m.number);
}

void Line::finish() {
    if (tremoloFirst_ >= 0)
        score_.notes[static_cast<std::size_t>(tremoloFirst_)].ornament = Ornament::tremolo;
    tremoloFirst_ = -1;
}

void Line::addOnset(std::vector<Member> chord, double beats, double ms) {
    // Each note continuing one that sounds on through a tie is held, spelled as that note.
    std::vector<ScorePitch> open = std::move(tied_);
    std::size_t held = 0;
    for (Member& c : chord) {
        if (!c.tieStop) continue;
        const auto t = std::find_if(open.begin(), open.end(), [&](const ScorePitch& p) {
            return std::abs(p.cents - c.note.cents) <= kSamePitchCents;
        });
        if (t == open.end()) continue;
        c.note.held = true;
        c.note.step = t->step;
        c.note.octave = t->octave;
        c.note.cents = t->cents;
        c.note.ornament = Ornament::none;
        open.erase(t);
        ++held;
    }
    tied_.clear();
    for (const Member& c : chord)
        if (c.tieStart) tied_.push_back({c.note.step, c.note.octave, c.note.cents});

    const int last = lastMain();
    const auto extendLast = [&] {
        for (auto i = static_cast<std::size_t>(last);
             i < score_.notes.size() &&
             (i == static_cast<std::size_t>(last) || score_.notes[i].chord);
             ++i) {
            score_.notes[i].beats += beats;
            score_.notes[i].ms += ms;
        }
    };
    if (tremoloFirst_ >= 0) {
        ScoreNote& first = score_.notes[static_cast<std::size_t>(tremoloFirst_)];
        const bool second = tremoloFirst_ == last && chord.front().tremoloPair == 2 && held == 0;
        tremoloFirst_ = -1;
        if (second) {
            const ScoreNote& n = chord.front().note;
            first.aux = ScorePitch{n.step, n.octave, n.cents};
            extendLast();
            return;
        }
        first.ornament = Ornament::tremolo;
    }
    if (held == chord.size() && last >= 0 && !score_.notes[static_cast<std::size_t>(last)].rest) {
        extendLast();
        return;
    }
    for (std::size_t k = 0; k < chord.size(); ++k) {
        ScoreNote s = chord[k].note;
        s.chord = k > 0;
        s.beats = beats;
        s.ms = ms;
        if (k == 0 && s.ornament == Ornament::alternation)
            tremoloFirst_ = static_cast<int>(score_.notes.size());
        push(s);
    }
}

void Line::addRest(double beats, double ms, int measure) {
    finish();
    tied_.clear();
    ScoreNote r;
    r.rest = true;
    r.beats = beats;
    r.ms = ms;
    r.measure = measure;
    push(r);
}

int Line::lastMain() const {
    for (int i = static_cast<int>(score_.notes.size()) - 1; i >= 0; --i) {
        const ScoreNote& n = score_.notes[static_cast<std::size_t>(i)];
        if (!n.chord && !n.grace) return i;
    }
    return -1;
}

void Line::push(const ScoreNote& s) {
    if (score_.notes.size() >= kMaxScoreNotes) throwScoreError(fileName_, "çok fazla nota");
    score_.notes.push_back(s);
}

} // namespace zembera::scores
